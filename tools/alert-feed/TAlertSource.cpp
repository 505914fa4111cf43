#include "TAlertSource.h"

#include "shared/AlertBody.h"

QByteArrayView CategoryOfBody(const QByteArray &body)
{
    return ReadAlertBody(body).Category;
}
