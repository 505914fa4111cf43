#include "TAlertSource.h"

QByteArrayView CategoryOfBody(const QByteArray &body)
{
    const qsizetype end = body.indexOf("\r\n");
    return QByteArrayView(body).first(end < 0 ? body.size() : end);
}
