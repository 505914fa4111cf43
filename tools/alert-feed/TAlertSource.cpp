#include "TAlertSource.h"

QByteArray CategoryOfBody(const QByteArray &body)
{
    const int end = body.indexOf("\r\n");
    return end < 0 ? body : body.left(end);
}
