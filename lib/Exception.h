// The exception family: every failure of the class-style code is one of
// these, its message built piece by piece with <<.
#ifndef TESSEL_EXCEPTION_H
#define TESSEL_EXCEPTION_H

#include <iosfwd>

class CException
{
public:
  CException();
  explicit CException(const char* text);
  CException(const CException& other);
  virtual ~CException();
  CException& operator=(const CException& other);

  // Each append returns the root type: throwers of a subclass build a
  // named object, append to it, then throw the object itself.
  CException& operator<<(const char* text);
  CException& operator<<(int n);
  CException& operator<<(unsigned n);
  CException& operator<<(long n);
  CException& operator<<(unsigned long n);
  CException& operator<<(float x);
  CException& operator<<(char c);

  const char* GetMessage() const { return message; }
  virtual std::ostream& output(std::ostream& os) const;

private:
  void append(const char* piece);
  char* message;
};

std::ostream& operator<<(std::ostream& os, const CException& e);

class CLibException : public CException
{
public:
  explicit CLibException(const char* text) : CException(text) {}
};

class CFatalLibException : public CLibException
{
public:
  explicit CFatalLibException(const char* text) : CLibException(text) {}
};

// The source file and line of a throwing statement, owned and deep-copied.
class CSourcePosition
{
public:
  CSourcePosition(const char* file = nullptr, int line = 0);
  CSourcePosition(const CSourcePosition& other);
  ~CSourcePosition();
  CSourcePosition& operator=(const CSourcePosition& other);

  const char* GetFile() const { return file; }
  int GetLine() const { return line; }

private:
  char* file;
  int line;
};

std::ostream& operator<<(std::ostream& os, const CSourcePosition& where);

// An internal error: carries the source position of the throwing statement.
class CIntLibException : public CException
{
public:
  CIntLibException() = default;
  CIntLibException(const char* text, const char* file, int line)
    : CException(text), where(file, line) {}

  const char* GetFile() const { return where.GetFile(); }
  int GetLine() const { return where.GetLine(); }
  std::ostream& output(std::ostream& os) const override;

private:
  CSourcePosition where;
};

class CFatalIntLibException : public CIntLibException
{
public:
  CFatalIntLibException(const char* text, const char* file, int line)
    : CIntLibException(text, file, line) {}
};

class CFatalSocketException : public CException
{
public:
  CFatalSocketException() = default;
  CFatalSocketException(const char* text, const char* file, int line)
    : CException(text), where(file, line) {}

  std::ostream& output(std::ostream& os) const override;

private:
  CSourcePosition where;
};

class CInterruptException : public CException
{
public:
  CInterruptException() = default;
  explicit CInterruptException(const char* text) : CException(text) {}
};

class CSocketException : public CException
{
public:
  CSocketException() = default;
  explicit CSocketException(const char* text) : CException(text) {}
};

class CConnectionException : public CSocketException
{
public:
  CConnectionException() = default;
  explicit CConnectionException(const char* text) : CSocketException(text) {}
};

// The address printed by internal errors, asking for a bug report.
extern const char* const kBugReportAddress;

#endif
