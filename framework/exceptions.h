// The framework's exceptions. Thrown by value and caught by reference: nothing to delete.
#pragma once

#include "framework/cstring.h"

class CException {
 public:
  virtual ~CException() = default;
};

class CFileException : public CException {
 public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };

  explicit CFileException(int cause = none, LONG osError = -1, LPCWSTR fileName = nullptr)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}

  // The cause that stands for an operating-system error code.
  static int OsErrorToException(LONG osError);
  [[noreturn]] static void ThrowOsError(LONG osError, LPCWSTR fileName = nullptr);

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};

class CMemoryException : public CException {};
class CInvalidArgException : public CException {};

[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, LPCWSTR fileName = nullptr);
[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowInvalidArgException();
