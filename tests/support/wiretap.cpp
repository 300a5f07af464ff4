// SPDX-License-Identifier: GPL-3.0-or-later
#include "wiretap.h"

#include <QLoggingCategory>
#include <QMutex>

namespace {

QMutex lock;
QByteArrayList captured;
QtMessageHandler previous = nullptr;

void handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && qstrcmp(context.category, "orvante.tx") == 0) {
        QMutexLocker locker(&lock);
        captured << QByteArray::fromHex(message.toLatin1());
        return;
    }
    if (previous)
        previous(type, context, message);
}

} // namespace

WireTap::WireTap()
{
    clear();
    previous = qInstallMessageHandler(handler);
    QLoggingCategory::setFilterRules("orvante.tx.debug=true");
}

WireTap::~WireTap()
{
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
}

QByteArrayList WireTap::writes() const
{
    QMutexLocker locker(&lock);
    return captured;
}

void WireTap::clear()
{
    QMutexLocker locker(&lock);
    captured.clear();
}
