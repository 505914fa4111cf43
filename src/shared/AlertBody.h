#pragma once

#include <QByteArrayView>

// The two parts of an alert body as the server sends it: the category line, CR LF,
// then the "&"-separated field list. Anything after a second CR LF is no part of the
// alert. Both are views into the body, which must outlive them.
struct TAlertBody
{
    QByteArrayView Category; // the whole body when it has no line break
    QByteArrayView Fields;   // empty when there is no line break
};

TAlertBody ReadAlertBody(QByteArrayView body);
