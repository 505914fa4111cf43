#include "shared/Exception.h"

#include <cxxabi.h>
#include <cstdlib>
#include <memory>
#include <typeinfo>

Exception::Exception(QString message)
    : message_(std::move(message)), utf8_(message_.toUtf8())
{
}

QString AssertionText(const char *message, const char *file, int line)
{
    const char *text = (message && *message) ? message : "Assertion failure";
    QString unit = QString::fromUtf8(file);
    unit = unit.mid(unit.lastIndexOf(QLatin1Char('/')) + 1);
    return QString::asprintf("%s (%s, line %d)", text, unit.toUtf8().constData(), line);
}

void RaiseAssertion(const char *message, const char *file, int line)
{
    throw EAssertionFailed(AssertionText(message, file, line));
}

QString ExceptionClassName(const std::exception &e)
{
    if (auto own = dynamic_cast<const Exception *>(&e))
        return QString::fromLatin1(own->ClassName());
    int status = 0;
    const char *mangled = typeid(e).name();
    std::unique_ptr<char, void (*)(void *)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    return QString::fromLatin1(status == 0 && demangled ? demangled.get() : mangled);
}

QString ExceptionMessage(const std::exception &e)
{
    if (auto own = dynamic_cast<const Exception *>(&e))
        return own->Message();
    return QString::fromUtf8(e.what());
}
