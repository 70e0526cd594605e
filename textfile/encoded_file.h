// CReadAUStdioFile: a text file that finds its own encoding on Open (a mark, or a sample of the
// content), hands out its lines as UTF-16 and writes lines back in the same encoding. Nothing it
// cannot decode is lost: such bytes travel through the lines as escape units (see utf8.h) and are
// written back as they were.
#pragma once

#include <string>

#include "framework/file.h"
#include "textfile/text_codec.h"

class CReadAUStdioFile : public CStdioFile {
 public:
  // Encoding codes of m_nEncoding.
  enum { encUnknown = -1, encNoMark = 0, encUtf16Le = 1, encUtf16Be = 2, encUtf8Mark = 3 };

  explicit CReadAUStdioFile(int nEncoding = -1, BOOL bAssumeUtf8 = FALSE);
  ~CReadAUStdioFile() override;

  BOOL Open(LPCWSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
  UINT Read(void* buffer, UINT count) override;
  void Write(const void* buffer, UINT count) override;
  void Close() override;

  // The next line without its line feed and without the carriage returns before it; FALSE at
  // the end of the file.
  BOOL ReadString(CString& line) override;
  // At most capacity - 1 units of the next line, the line feed kept; null at the end of the file.
  LPWSTR ReadString(LPWSTR buffer, UINT capacity) override;
  void WriteString(LPCWSTR text) override;
  // Writes every unit of the string, zero units included.
  void WriteString(const CString& text);
  void WriteLine(LPCWSTR text);
  void WriteLine(const CString& text);
  void WriteBom();

  // For a file just created for writing beside `src`: from now on this object writes exactly the
  // bytes `src` would write after SetLength(0): same encoding, mark, byte order and, for a UTF-16
  // file of odd length, the same single byte after the last line.
  void CopyEncodingFrom(const CReadAUStdioFile& src);

  // The encoding as a value, for code that handles a file's bytes itself.
  CTextCodec Codec() const;

  int m_nEncoding;
  BOOL m_bIsText;
  BOOL m_bUnicode;
  BOOL m_bUtf8;
  BOOL m_bAssumeUtf8;
  BOOL m_bBomWritten;

 private:
  void Detect(UINT openFlags);
  void ResetState();
  void WriteUnits(const WCHAR* units, size_t count, bool lineEnd);
  void EncodeUnits(const WCHAR* units, size_t count, std::string& out) const;
  // The line's raw bytes or units, without line feed and trailing carriage returns, as text.
  void DecodeRaw(const std::string& raw, CString::Buffer& out) const;

  bool m_bBigEndianRead = false;  // units read high byte first (the file is marked FE FF)
  // A UTF-16 file of odd length ends in one byte that is no unit. It is kept from Open and put back
  // after the last line at Close, once this object has written anything, so a rewritten file keeps
  // it and stays aligned. A file with no complete unit has no line and nothing to rewrite.
  bool m_bHasOddByte = false;
  BYTE m_oddByte = 0;
  bool m_bWrote = false;
  std::string m_raw;  // reused for every line read
  std::string m_out;  // reused for every line written
};
