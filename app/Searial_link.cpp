// SPDX-License-Identifier: GPL-3.0-or-later
// Slots of the serial link: port scan, open/close, receive, send and the log.

#include "app/Searial.h"

#include "app/logging.h"
#include "app/messages.h"
#include "app/sensormenu.h"
#include "app/state.h"
#include "app/statusnotes.h"
#include "engine/exchanger.h"
#include "measure/recorder.h"
#include "protocol/answers.h"
#include "protocol/codes.h"
#include "protocol/steps.h"
#include "serial/advice.h"
#include "serial/portpreset.h"
#include "serial/link.h"
#include "serial/ports.h"
#include "serial/traffic.h"
#include "ui_Searial.h"
#include "view/trafficdisplay.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTimer>

#include <limits>

namespace {

// Widens the combo's popup list to its longest item (the way QComboBox sizes
// itself to its contents); the combo keeps the size the layout gave it. Not
// every style does this on its own.
void fitPopupToItems(QComboBox *combo)
{
    int text = 0;
    for (int i = 0; i < combo->count(); ++i)
        text = qMax(text, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const int width = combo->style()
                          ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(text, 0), combo)
                          .width();
    const int scrollBar =
        combo->count() > combo->maxVisibleItems()
            ? combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo)
            : 0;
    combo->view()->setMinimumWidth(width + scrollBar);
}

} // namespace

QStringList Searial::GetEnableCommPort()
{
    // The port held open stays listed: left out, the box would move to
    // another port while the status still says Connected.
    return serial::openablePorts(serial.isOpen() ? heldPort() : QString());
}

void Searial::cmb_port_name_port()
{
    qCDebug(lcLink) << GetEnableCommPort();
}

void Searial::btn_usart_number_port(bool)
{
    // Refilling the box is no choice of the operator's.
    const QSignalBlocker quiet(ui->cmb_port_name);
    ui->cmb_port_name->clear();
    // What GetEnableCommPort lists, and what it left out and why.
    const serial::PortScan scan = serial::scanPorts(serial.isOpen() ? heldPort() : QString());
    portNameList = scan.openable;
    qCDebug(lcLink) << portNameList.size();
    // An int counter: the 8-bit one would wrap after 127 ports.
    constexpr int maxIndex = std::numeric_limits<qint8>::max();
    for (int i = 0; i < portNameList.size(); ++i) {
        portIndex = static_cast<qint8>(qMin(i, maxIndex));
        ui->cmb_port_name->addItem(portNameList.at(i));
        // The combo is narrow and cuts long paths; the tooltip has them whole.
        ui->cmb_port_name->setItemData(i, portNameList.at(i), Qt::ToolTipRole);
    }
    portIndex = static_cast<qint8>(qMin(portNameList.size(), maxIndex));
    fitPopupToItems(ui->cmb_port_name);
    selectHeldPort();
    StatusNotes(ui->statusBar).leftOut(ui->cmb_port_name, scan.leftOut);
}

void Searial::portChosen()
{
    if (portClosed || serial::samePort(ui->cmb_port_name->currentText(), heldPort()))
        return;
    StatusNotes(ui->statusBar).otherPortChosen(heldPortName());
}

QString Searial::heldPort() const
{
    return networkPorts.listedName(serial.portName());
}

QString Searial::heldPortName() const
{
    for (const QString &name : portNameList) {
        if (serial::samePort(name, heldPort()))
            return name;
    }
    return heldPort();
}

void Searial::selectHeldPort()
{
    if (!serial.isOpen())
        return;
    for (int i = 0; i < portNameList.size(); ++i) {
        if (serial::samePort(portNameList.at(i), heldPort())) {
            ui->cmb_port_name->setCurrentIndex(i);
            return;
        }
    }
}

void Searial::btn_open_port(bool)
{
    if (!portClosed) {
        StatusNotes(ui->statusBar).closed(closePort());
        return;
    }
    const int index = ui->cmb_port_name->currentIndex();
    qCDebug(lcLink) << index;
    // Nothing scanned or nothing found: there is no port to open.
    if (index < 0 || index >= portNameList.size()) {
        StatusNotes(ui->statusBar).noPortChosen();
        return;
    }
    qCDebug(lcLink) << portNameList.at(index);
    QString problem;
    const QString device =
        networkPorts.deviceFor(portNameList.at(index), ui->cmb_baud_rate->currentIndex(), &problem);
    if (device.isEmpty()) {
        StatusNotes(ui->statusBar).openFailed(portNameList.at(index), problem);
        return;
    }
    serial.setPortName(device);
    serial::applyLinePreset(serial, ui->cmb_baud_rate->currentIndex());
    if (!serial.open(QIODevice::ReadWrite)) {
        networkPorts.close();
        StatusNotes(ui->statusBar)
            .openFailed(portNameList.at(index),
                        serial::openProblem(device, serial.error(), serial.errorString()));
        return;
    }
    StatusNotes(ui->statusBar).clear();
    ui->lab_status->setText("Connected");
    portClosed = false;
    ui->btn_open->setText("Close");
}

protocol::Setting Searial::closePort()
{
    // What the next device sends must not decide a setting made on this one.
    const protocol::Setting dropped = exchanger->forgetSetting();
    if (sensorMenu)
        sensorMenu->portClosed();
    portClosed = true;
    ui->lab_status->setText(" Disconnected");
    serial.close();
    networkPorts.close();
    ui->btn_open->setText("Open");
    return dropped;
}

void Searial::handlePortError(QSerialPort::SerialPortError error)
{
    if (!serial::isDeviceLost(error))
        return;
    // Close from the event loop, not from inside the port's own notification;
    // the reason is the one of this error.
    QMetaObject::invokeMethod(
        this,
        [this, port = heldPortName(),
         reason = networkPorts.lostReason(serial::lostReason(serial))] {
            if (portClosed)
                return;
            // A profile that stops here notes how far it got; that stays.
            const bool profileStops = sensorMenu->isRunning();
            closePort();
            StatusNotes(ui->statusBar)
                .deviceLost(port, reason,
                            profileStops ? ui->statusBar->currentMessage() : QString());
        },
        Qt::QueuedConnection);
}

void Searial::transmit(const QByteArray &bytes)
{
    serial::tracedWrite(serial, bytes);
}

bool Searial::readyToSend()
{
    if (sensorMenu && sensorMenu->isRunning()) {
        StatusNotes(ui->statusBar).profileRunning();
        return false;
    }
    if (!serial.isOpen()) {
        StatusNotes(ui->statusBar).portClosed();
        return false;
    }
    // A new command: what was said about the last one is over.
    StatusNotes(ui->statusBar).clear();
    return true;
}

void Searial::btn_send_data(bool)
{
    if (!readyToSend())
        return;
    const QByteArray bytes = serial::freeTextBytes(ui->lint_send_data->toPlainText());
    transmit(bytes);
    qCDebug(lcLink) << bytes;
}

void Searial::btn_clear_port(bool)
{
    ui->plainTextEdit->clear();
}

void Searial::btn_save_port(bool)
{
    const QString path =
        QFileDialog::getSaveFileName(nullptr, tr("Select"), QString(), tr("txt(*.txt)"));
    if (path.isEmpty()) {
        QMessageBox box(QMessageBox::Information, tr("Warning"),
                        tr("Failed to select file, no path"), QMessageBox::NoButton, this);
        box.addButton(tr("OK"), QMessageBox::AcceptRole);
        box.exec();
        return;
    }
    QString error;
    if (!trafficLog.start(path, ui->plainTextEdit->toPlainText(), &error)) {
        qCDebug(lcLink) << error;
        QMessageBox::critical(nullptr, tr("Warning"), tr("Unable to create file"), QMessageBox::Ok);
        return;
    }
    // Only a file that was created takes over the log; a failed or cancelled
    // Save leaves logging where it was.
    saveFilePath = path;
    qCDebug(lcLink) << saveFilePath;
    saveActive = true;
}

void Searial::logChunk(const QByteArray &chunk)
{
    QString error;
    if (trafficLog.append(chunk, &error))
        return;
    qCDebug(lcLink) << error;
    // Stop at once, so the box is shown once, and show it once this chunk has
    // been handled: the display and the protocol do not wait for the operator.
    saveActive = false;
    QTimer::singleShot(0, this,
                       [this, path = saveFilePath, error] { showLogFailedBox(this, path, error); });
}

void Searial::receive_data()
{
    // Everything the port has buffered, as readAll() returns it, without the
    // 16 KiB it allocates and shrinks again for every chunk.
    const QByteArray chunk = serial.read(serial.bytesAvailable());
    qCDebug(lcLink) << chunk;
    qCDebug(lcLink) << chunk.size();

    // Shown at once, painted with the display's next frame.
    trafficDisplay->showChunk(chunk, ui->checkBox->checkState() == Qt::Checked);

    if (sensorMenu->isRunning())
        sensorMenu->take(chunk);

    if (saveActive && !chunk.isEmpty())
        logChunk(chunk);

    showDistanceFrames(chunk);
    // Before the boxes below: what this chunk showed is on screen while the
    // operator reads them.
    trafficDisplay->present();
    // Into the answer being collected; a setting decided by this chunk is
    // shown at once.
    exchanger->take(chunk);

    // While a box opened above was up, the port buffered what arrived but did
    // not announce it again; take it in now rather than at the next byte.
    if (serial.bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &Searial::receive_data, Qt::QueuedConnection);
}
