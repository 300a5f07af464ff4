// SPDX-License-Identifier: GPL-3.0-or-later
#include "apphelpers.h"

#include "app/Searial.h"
#include "app/state.h"
#include "protocol/commands.h"
#include "ptypeer.h"

#include <QComboBox>
#include <QMetaObject>
#include <QPushButton>
#include <QTest>

void resetExchangeState()
{
    // responseTimer belongs to the window (and dies with it); each new window
    // makes its own.
    rxByteCount = 0;
    clearRxBuffer();
    daCommandTemplate = protocol::kSwitchingSecondTemplate;
    saveFilePath.clear();
    saveActive = false;
    trafficLog.close();
    pendingSetting = 0;
    activeCommand = 0;
    distanceDisplay = true;
    portNameList.clear();
    portIndex = 0;
    portClosed = true;
}

void click(QObject *window, const char *button)
{
    child<QPushButton>(window, button)->click();
}

bool invoke(QObject *window, const char *slot)
{
    return QMetaObject::invokeMethod(window, slot);
}

bool openPort(Searial &window, const PtyPeer &peer, int preset)
{
    return openPortAt(window, peer.path(), preset);
}

bool openPortAt(Searial &window, const QString &path, int preset)
{
    portNameList = QStringList{path};
    auto *names = child<QComboBox>(&window, "cmb_port_name");
    names->clear();
    names->addItem(path);
    child<QComboBox>(&window, "cmb_baud_rate")->setCurrentIndex(preset);
    click(&window, "btn_open");
    return !portClosed;
}

bool deliver(PtyPeer &peer, const QByteArray &bytes)
{
    const int before = rxByteCount;
    return peer.write(bytes) &&
           QTest::qWaitFor([&] { return rxByteCount == before + bytes.size(); }, 5000);
}
