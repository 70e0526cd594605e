// CFile, the unbuffered file over a platform handle, and CStdioFile, its buffered form. Errors
// other than a failed Open are raised as CFileException.
#pragma once

#include <string>
#include <vector>

#include "framework/cstring.h"
#include "framework/exceptions.h"

class CFile {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

  CFile();
  virtual ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // FALSE when the platform refuses; the error record, if given, receives the cause.
  virtual BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr);
  virtual UINT Read(void* buffer, UINT count);
  virtual void Write(const void* buffer, UINT count);
  virtual ULONGLONG Seek(LONGLONG offset, UINT from);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  // Moves the position to the new length, then cuts or extends the file there.
  virtual void SetLength(ULONGLONG newLength);
  virtual void Flush();
  virtual void Close();
  // Closes without raising anything.
  virtual void Abort();

  const CString& GetFilePath() const { return m_strFileName; }
  BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }
  UINT GetOpenFlags() const { return m_nOpenFlags; }

  HANDLE m_hFile;

 protected:
  CString m_strFileName;
  UINT m_nOpenFlags = 0;
};

// Buffered reading and writing over CFile, with the line reads of the C run-time's streams.
// One buffer serves both directions: a switch from writing to reading (or a seek) first writes
// out what is pending.
class CStdioFile : public CFile {
 public:
  CStdioFile();
  ~CStdioFile() override;

  BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  ULONGLONG GetPosition() const override;
  ULONGLONG GetLength() const override;
  void SetLength(ULONGLONG newLength) override;
  void Flush() override;
  void Close() override;
  void Abort() override;

  // The stream forms. Lines are bytes up to and including a line feed, in the ANSI code page;
  // the text class above this one gives them their encoding.
  virtual BOOL ReadString(CString& line);
  virtual LPWSTR ReadString(LPWSTR buffer, UINT capacity);
  virtual void WriteString(LPCWSTR text);

  // Size of the buffer used from the next Open on (default 64 KiB).
  void SetBufferSize(size_t bytes) { m_nBufferSize = bytes < 16 ? 16 : bytes; }

 protected:
  // Appends to `out` the raw bytes of the next line: up to and including the first line feed,
  // which is the byte 0A for unitSize 1 and the unit 0A 00 (or 00 0A with bigEndian) at an even
  // distance from where the line began for unitSize 2, or up to the end of the file. At most
  // `limit` units are taken. Returns FALSE when the file was already at its end. A read failure
  // raises CFileException with the cause genericException.
  BOOL ReadRawLine(std::string& out, int unitSize, bool bigEndian = false, size_t limit = SIZE_MAX);
  // Bytes left in the file after the current position would need a read to know; this tells
  // whether the position is at the end of the file.
  BOOL AtEnd();
  // Writes straight to the handle at the current position, after what is pending.
  void WriteDirect(const void* buffer, UINT count);

 private:
  void DiscardReadBuffer();
  void FlushWrites();
  // Makes at least `need` unread bytes available when the file has them. Returns what is there.
  size_t Fill(size_t need);

  std::vector<BYTE> m_buf;
  size_t m_nBufferSize = 64 * 1024;
  ULONGLONG m_bufStart = 0;  // file position of m_buf[0] while reading
  size_t m_bufLen = 0;       // bytes of m_buf read from the file
  size_t m_bufPos = 0;       // next unread byte
  size_t m_pending = 0;      // bytes waiting to be written
  bool m_reading = false;
};
