#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The root of the program's own errors: an exception that carries a message text
// and knows its class name, so a report can say "Class=EZDecompressionError".
class Exception : public std::exception
{
public:
    explicit Exception(QString message);

    const QString &Message() const { return message_; }
    virtual const char *ClassName() const { return "Exception"; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A broken precondition: a programming error, never a runtime condition.
class EAssertionFailed : public Exception
{
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EAssertionFailed"; }
};

// The text of an assertion error: the message ("Assertion failure" when there is
// none) followed by the unit and line, as "%s (%s, line %d)".
QString AssertionText(const char *message, const char *file, int line);

[[noreturn]] void RaiseAssertion(const char *message, const char *file, int line);

// The class name a report shows for any exception, ours or the standard library's.
QString ExceptionClassName(const std::exception &e);
QString ExceptionMessage(const std::exception &e);

#define AZ_ASSERT(condition)                                                       \
    do {                                                                           \
        if (!(condition))                                                          \
            RaiseAssertion(nullptr, __FILE__, __LINE__);                           \
    } while (false)

#define AZ_ASSERT_MSG(condition, message)                                          \
    do {                                                                           \
        if (!(condition))                                                          \
            RaiseAssertion(message, __FILE__, __LINE__);                           \
    } while (false)
