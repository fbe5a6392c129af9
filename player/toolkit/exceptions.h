// The toolkit's error tree. Every failure of the layer is one of these; handlers that the
// front end guards catch Exception and drop it, unguarded ones reach the default error report.
#pragma once

#include <exception>
#include <string>

namespace tk {

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    std::wstring message_;
    std::string utf8_;
};

#define TK_EXCEPTION(Name, Base)                        \
    class Name : public Base {                          \
    public:                                             \
        explicit Name(std::wstring message) : Base(std::move(message)) {} \
    }

TK_EXCEPTION(EOSError, Exception);
TK_EXCEPTION(EOutOfResources, Exception);
TK_EXCEPTION(EInvalidOperation, Exception);
TK_EXCEPTION(EConvertError, Exception);
TK_EXCEPTION(EStringListError, Exception);
TK_EXCEPTION(EStreamError, Exception);
TK_EXCEPTION(EReadError, EStreamError);
TK_EXCEPTION(EWriteError, EStreamError);
TK_EXCEPTION(EFOpenError, EStreamError);
TK_EXCEPTION(EFCreateError, EStreamError);
TK_EXCEPTION(EInvalidGraphic, Exception);
TK_EXCEPTION(EOleError, Exception);
TK_EXCEPTION(EOleSysError, EOleError);
TK_EXCEPTION(EOleException, EOleError);
TK_EXCEPTION(EXMLDocError, Exception);
TK_EXCEPTION(EThread, Exception);

#undef TK_EXCEPTION

}  // namespace tk
