#include "framework/file.h"

#include <algorithm>
#include <cstring>

int CFileException::OsErrorToException(LONG osError) {
  switch (osError) {
    case 0: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case 4: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case 33: return lockViolation;
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT: return hardIO;
    default: return genericException;
  }
}

void CFileException::ThrowOsError(LONG osError, LPCWSTR fileName) {
  throw CFileException(OsErrorToException(osError), osError, fileName);
}

void AfxThrowFileException(int cause, LONG osError, LPCWSTR fileName) {
  throw CFileException(cause, osError, fileName);
}
void AfxThrowMemoryException() { throw CMemoryException(); }
void AfxThrowInvalidArgException() { throw CInvalidArgException(); }

// ---- CFile ----

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE) {}

CFile::~CFile() {
  if (IsOpen()) Abort();
}

BOOL CFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error) {
  if (IsOpen()) Abort();
  m_strFileName = fileName;
  m_nOpenFlags = openFlags;
  DWORD access = 0;
  switch (openFlags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: break;
  }
  DWORD share = 0;
  switch (openFlags & 0x70) {
    case shareCompat:
    case shareExclusive: share = 0; break;
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: break;
  }
  DWORD disposition = OPEN_EXISTING;
  if (openFlags & modeCreate) disposition = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  HANDLE h = CreateFileW(fileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) {
      DWORD os = GetLastError();
      error->m_lOsError = LONG(os);
      error->m_cause = CFileException::OsErrorToException(LONG(os));
      error->m_strFileName = fileName;
    }
    return FALSE;
  }
  m_hFile = h;
  return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  DWORD got = 0;
  if (count && !ReadFile(m_hFile, buffer, count, &got, nullptr))
    CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
  return got;
}

void CFile::Write(const void* buffer, UINT count) {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  if (!count) return;
  DWORD put = 0;
  if (!WriteFile(m_hFile, buffer, count, &put, nullptr))
    CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
  if (put != count) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from) {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  LARGE_INTEGER d, out;
  d.QuadPart = offset;
  DWORD method = from == begin ? FILE_BEGIN : from == current ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(m_hFile, d, &out, method))
    AfxThrowFileException(CFileException::badSeek, LONG(GetLastError()), m_strFileName);
  return ULONGLONG(out.QuadPart);
}

ULONGLONG CFile::GetPosition() const {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  LARGE_INTEGER d, out;
  d.QuadPart = 0;
  if (!SetFilePointerEx(m_hFile, d, &out, FILE_CURRENT))
    AfxThrowFileException(CFileException::badSeek, LONG(GetLastError()), m_strFileName);
  return ULONGLONG(out.QuadPart);
}

ULONGLONG CFile::GetLength() const {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(m_hFile, &size)) CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
  return ULONGLONG(size.QuadPart);
}

void CFile::SetLength(ULONGLONG newLength) {
  CFile::Seek(LONGLONG(newLength), begin);
  if (!SetEndOfFile(m_hFile)) CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
}

void CFile::Flush() {
  if (IsOpen() && !FlushFileBuffers(m_hFile))
    CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
}

void CFile::Close() {
  if (!IsOpen()) return;
  HANDLE h = m_hFile;
  m_hFile = INVALID_HANDLE_VALUE;
  if (!CloseHandle(h)) CFileException::ThrowOsError(LONG(GetLastError()), m_strFileName);
}

void CFile::Abort() {
  if (!IsOpen()) return;
  CloseHandle(m_hFile);
  m_hFile = INVALID_HANDLE_VALUE;
}

// ---- CStdioFile ----

CStdioFile::CStdioFile() = default;

CStdioFile::~CStdioFile() {
  if (IsOpen()) Abort();
}

BOOL CStdioFile::Open(LPCWSTR fileName, UINT openFlags, CFileException* error) {
  m_bufStart = m_bufLen = m_bufPos = m_pending = 0;
  m_reading = false;
  if (!CFile::Open(fileName, openFlags, error)) return FALSE;
  m_buf.resize(m_nBufferSize);
  return TRUE;
}

void CStdioFile::DiscardReadBuffer() {
  if (m_reading && m_bufPos != m_bufLen) {
    // The handle stands at the end of what was read ahead; put it back where the reader is.
    CFile::Seek(LONGLONG(m_bufStart + m_bufPos), begin);
  }
  m_reading = false;
  m_bufStart = m_bufLen = m_bufPos = 0;
}

void CStdioFile::FlushWrites() {
  if (m_pending) {
    size_t n = m_pending;
    m_pending = 0;
    CFile::Write(m_buf.data(), UINT(n));
  }
}

size_t CStdioFile::Fill(size_t need) {
  if (!m_reading) {
    FlushWrites();
    m_reading = true;
    m_bufStart = CFile::GetPosition();
    m_bufLen = m_bufPos = 0;
  }
  size_t have = m_bufLen - m_bufPos;
  if (have >= need) return have;
  if (m_bufPos) {
    memmove(m_buf.data(), m_buf.data() + m_bufPos, have);
    m_bufStart += m_bufPos;
    m_bufLen = have;
    m_bufPos = 0;
  }
  if (m_buf.size() < need) m_buf.resize(need);
  while (m_bufLen < need) {
    DWORD got = 0;
    if (!ReadFile(m_hFile, m_buf.data() + m_bufLen, DWORD(m_buf.size() - m_bufLen), &got, nullptr))
      AfxThrowFileException(CFileException::genericException, LONG(GetLastError()), m_strFileName);
    if (got == 0) break;
    m_bufLen += got;
  }
  return m_bufLen - m_bufPos;
}

UINT CStdioFile::Read(void* buffer, UINT count) {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  BYTE* out = static_cast<BYTE*>(buffer);
  size_t done = 0;
  while (done < count) {
    size_t have = Fill(1);
    if (!have) break;
    size_t n = std::min(have, size_t(count) - done);
    memcpy(out + done, m_buf.data() + m_bufPos, n);
    m_bufPos += n;
    done += n;
  }
  return UINT(done);
}

void CStdioFile::Write(const void* buffer, UINT count) {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  if (m_reading) DiscardReadBuffer();
  const BYTE* in = static_cast<const BYTE*>(buffer);
  if (count >= m_buf.size()) {
    FlushWrites();
    CFile::Write(in, count);
    return;
  }
  if (m_pending + count > m_buf.size()) FlushWrites();
  memcpy(m_buf.data() + m_pending, in, count);
  m_pending += count;
}

void CStdioFile::WriteDirect(const void* buffer, UINT count) {
  if (m_reading) DiscardReadBuffer();
  FlushWrites();
  CFile::Write(buffer, count);
}

ULONGLONG CStdioFile::Seek(LONGLONG offset, UINT from) {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  if (m_reading && from == begin && offset >= 0 && ULONGLONG(offset) >= m_bufStart &&
      ULONGLONG(offset) <= m_bufStart + m_bufLen) {
    // Going back to a line already in the buffer costs no read.
    m_bufPos = size_t(ULONGLONG(offset) - m_bufStart);
    return ULONGLONG(offset);
  }
  if (m_reading && from == current) {
    offset += LONGLONG(m_bufStart + m_bufPos);
    from = begin;
  }
  DiscardReadBuffer();
  FlushWrites();
  return CFile::Seek(offset, from);
}

ULONGLONG CStdioFile::GetPosition() const {
  if (m_reading) return m_bufStart + m_bufPos;
  return CFile::GetPosition() + m_pending;
}

ULONGLONG CStdioFile::GetLength() const {
  ULONGLONG len = CFile::GetLength();
  if (!m_reading && m_pending) len = std::max(len, CFile::GetPosition() + m_pending);
  return len;
}

void CStdioFile::SetLength(ULONGLONG newLength) {
  DiscardReadBuffer();
  FlushWrites();
  CFile::SetLength(newLength);
}

void CStdioFile::Flush() {
  if (!IsOpen()) return;
  if (m_reading) DiscardReadBuffer();
  FlushWrites();
}

void CStdioFile::Close() {
  if (!IsOpen()) return;
  try {
    if (m_reading) DiscardReadBuffer();
    FlushWrites();
  } catch (...) {
    CFile::Abort();
    throw;
  }
  CFile::Close();
}

void CStdioFile::Abort() {
  m_pending = 0;
  m_reading = false;
  m_bufStart = m_bufLen = m_bufPos = 0;
  CFile::Abort();
}

BOOL CStdioFile::AtEnd() { return Fill(1) == 0; }

BOOL CStdioFile::ReadRawLine(std::string& out, int unitSize, bool bigEndian, size_t limit) {
  if (!IsOpen()) AfxThrowFileException(CFileException::invalidFile, -1, m_strFileName);
  size_t startLen = out.size();
  size_t taken = 0;  // units taken for this line
  if (unitSize == 1) {
    while (taken < limit) {
      size_t have = Fill(1);
      if (!have) break;
      size_t room = std::min(have, limit - taken);
      const BYTE* p = m_buf.data() + m_bufPos;
      const void* lf = memchr(p, 0x0A, room);
      size_t n = lf ? size_t(static_cast<const BYTE*>(lf) - p) + 1 : room;
      out.append(reinterpret_cast<const char*>(p), n);
      m_bufPos += n;
      taken += n;
      if (lf) break;
    }
  } else {
    const BYTE lo = bigEndian ? 0x00 : 0x0A;
    const BYTE hi = bigEndian ? 0x0A : 0x00;
    while (taken < limit) {
      size_t have = Fill(2);
      if (have < 2) {
        // A single byte left at the very end is no unit; it stays unread for the caller.
        break;
      }
      size_t units = std::min(have / 2, limit - taken);
      const BYTE* p = m_buf.data() + m_bufPos;
      size_t i = 0;
      bool found = false;
      for (; i < units; ++i) {
        if (p[2 * i] == lo && p[2 * i + 1] == hi) {
          found = true;
          ++i;
          break;
        }
      }
      out.append(reinterpret_cast<const char*>(p), 2 * i);
      m_bufPos += 2 * i;
      taken += i;
      if (found) break;
    }
  }
  return out.size() > startLen;
}

BOOL CStdioFile::ReadString(CString& line) {
  line.Empty();
  std::string raw;
  if (!ReadRawLine(raw, 1)) return FALSE;
  if (!raw.empty() && raw.back() == '\n') raw.pop_back();
  if (!raw.empty() && raw.back() == '\r') raw.pop_back();
  if (raw.empty()) return TRUE;
  int n = MultiByteToWideChar(CP_ACP, 0, raw.data(), int(raw.size()), nullptr, 0);
  CString::Buffer& s = line.Str();
  s.resize(size_t(n));
  MultiByteToWideChar(CP_ACP, 0, raw.data(), int(raw.size()), &s[0], n);
  return TRUE;
}

LPWSTR CStdioFile::ReadString(LPWSTR buffer, UINT capacity) {
  if (!buffer) AfxThrowInvalidArgException();
  if (capacity == 0) return buffer;
  std::string raw;
  if (!ReadRawLine(raw, 1, false, capacity - 1)) return nullptr;
  int n = raw.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, raw.data(), int(raw.size()), buffer, int(capacity - 1));
  buffer[n] = 0;
  return buffer;
}

void CStdioFile::WriteString(LPCWSTR text) {
  if (!text || !*text) return;
  int len = lstrlenW(text);
  int n = WideCharToMultiByte(CP_THREAD_ACP, 0, text, len, nullptr, 0, nullptr, nullptr);
  std::string bytes(size_t(n), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text, len, &bytes[0], n, nullptr, nullptr);
  Write(bytes.data(), UINT(bytes.size()));
}
