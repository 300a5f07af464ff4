// SPDX-License-Identifier: GPL-3.0-or-later
// Slots of the sensor protocol: laser and measurements, queries, settings, and
// the answer steps of the receive path and the response window.

#include "app/Searial.h"

#include "app/logging.h"
#include "app/messages.h"
#include "app/querypage.h"
#include "app/state.h"
#include "app/statusnotes.h"
#include "measure/recorder.h"
#include "protocol/answers.h"
#include "protocol/commands.h"
#include "protocol/codes.h"
#include "protocol/presentedvalues.h"
#include "protocol/steps.h"
#include "ui_Searial.h"
#include "view/trafficdisplay.h"

#include <QTimer>

using namespace protocol;

namespace {
// The box of a setting the sensor has decided (the distances sent on request
// count as success); any other step shows none.
void showVerdict(QWidget *parent, Action action)
{
    if (action == Action::Succeeded || action == Action::SendDistances)
        showSuccessBox(parent);
    else if (action == Action::Failed)
        showFailureBox(parent);
}
} // namespace

QByteArray Searial::lineEdit_conversion(QByteArray x)
{
    return numberField(x);
}

QByteArray Searial::data_analysis(QByteArray x, QByteArray y, int len)
{
    return dataAnalysis(x, y, len);
}

bool Searial::refusedAsBusy(bool warn)
{
    if (!isBusy(activeCommand))
        return false;
    // The fields would otherwise keep the last answer as if it were fresh.
    StatusNotes(ui->statusBar).busy(activeCommand);
    if (warn)
        showBusyWarning(this);
    return true;
}

// --- Laser and measurements: never refused, no answer awaited. ---

void Searial::endExchange(const QByteArray &command)
{
    if (!readyToSend())
        return;
    // Laser on, laser off and Stop end whatever is in flight, and with it the
    // display of unrequested frames.
    distanceDisplay = false;
    activeCommand = Idle;
    transmit(command);
}

void Searial::btn_open_LD_port(bool)
{
    endExchange(kLaserOn);
}

void Searial::btn_td_port(bool)
{
    if (!readyToSend())
        return;
    activeCommand = SingleMeasurement;
    transmit(kSingleMeasurement);
}

void Searial::btn_tk_port(bool)
{
    if (!readyToSend())
        return;
    activeCommand = ContinuousMeasurement;
    transmit(kContinuousMeasurement);
}

void Searial::btn_close_LD_port(bool)
{
    endExchange(kLaserOff);
}

void Searial::btn_c_port(bool)
{
    endExchange(kStop);
}

void Searial::showDistanceFrames(const QByteArray &chunk)
{
    QByteArray notFrame;
    const QList<QByteArray> distances = distanceRecorder->take(chunk, &notFrame);
    const bool awaited = pendingSetting != NoSetting || responseTimer->isActive();
    const DistanceField::Update update =
        distanceField.take(distances, notFrame, activeCommand, distanceDisplay, awaited);
    if (!update.notFrame.isEmpty())
        StatusNotes(ui->statusBar).notFrame(update.notFrame);
    // A target at rest sends the same distance frame after frame; setting it
    // again would only lay the same text out again.
    const QString text = chunkText(update.text);
    if (!update.show || ui->lineEdit_D->text() == text)
        return;
    // Painted with the display's next frame.
    trafficDisplay->hold(ui->lineEdit_D);
    ui->lineEdit_D->setText(text);
}

// --- Queries: answered within the response window. ---

void Searial::startQuery(quint8 command, const QByteArray &bytes)
{
    if (!readyToSend() || refusedAsBusy(false))
        return;
    beginQuery(command, rxBuffer, rxByteCount);
    rxRawBuffer.clear();
    distanceDisplay = false;
    activeCommand = command;
    responseTimer->start(kResponseWindowMs);
    transmit(bytes);
}

void Searial::btn_R_ID_port(bool)
{
    startQuery(IdentityQuery, kIdentityQuery);
}

void Searial::btn_R_AD_port(bool)
{
    startQuery(AnalogQuery, kAnalogQuery);
}

void Searial::btn_R_DA_port(bool)
{
    startQuery(SwitchingQuery, kSwitchingQuery);
}

void Searial::handleTimeout()
{
    qCDebug(lcProtocol) << rxBuffer;
    if (responseTimer->isActive())
        responseTimer->stop();
    // Said before the parse empties the buffer, and before a box the operator
    // may be reading it with.
    const Unanswered missing =
        unansweredAtWindowEnd(activeCommand, pendingSetting, rxRawBuffer, rxByteCount);
    StatusNotes notes(ui->statusBar);
    notes.noAnswer(missing);
    // A complete answer may still not be the sensor's: the fields show it
    // as the sensor's format places it, and the status bar says what it is.
    if (missing.command == Idle)
        notes.notUnderstood(activeCommand, Answer{rxBuffer, rxByteCount, rxRawBuffer});
    parseQueryAnswer();
    confirmTimedSettings();
    activeCommand = Idle;
    clearRxBuffer();
}

void Searial::parseQueryAnswer()
{
    const auto query = Command(activeCommand);
    showQueryValues(ui, query, presentedValues(query, Answer{rxBuffer, rxByteCount, rxRawBuffer}));
    if (query == AnalogQuery) {
        qCDebug(lcProtocol) << "#####\r\n";
        qCDebug(lcProtocol) << parseAnalog(rxBuffer).maxStart;
        // The setting steps that follow see an empty buffer.
        clearRxBuffer();
    }
    if (query == IdentityQuery || query == AnalogQuery)
        activeCommand = Idle;
}

// --- Settings ---

void Searial::btn_set_baud_rate_port(bool)
{
    if (!readyToSend() || refusedAsBusy(true))
        return;
    pendingSetting = LineSpeedSetting;
    const QByteArray command = lineSpeedCommand(ui->cmb_set_baud_rate->currentIndex());
    if (!command.isEmpty())
        transmit(command);
    clearRxBuffer();
    responseTimer->start(kResponseWindowMs);
}

void Searial::btn_set_Auto_M_port(bool)
{
    if (!readyToSend() || refusedAsBusy(false))
        return;
    pendingSetting = AutoMeasureSetting;
    settingDeadline.start(pendingSetting);
    const QByteArray command = autoMeasureCommand(ui->com_set_Auto_M->currentIndex());
    if (!command.isEmpty())
        transmit(command);
}

void Searial::btn_set_AD_port(bool)
{
    if (!readyToSend() || refusedAsBusy(true))
        return;
    // The distances follow with the sensor's answer; refuse now what could not
    // be sent then.
    if (!isDistanceText(ui->lineEdit_W_AD_D_min->text().toLatin1()) ||
        !isDistanceText(ui->lineEdit_W_AD_D_max->text().toLatin1())) {
        showBadDistanceBox(this);
        return;
    }
    pendingSetting = AnalogSetting;
    settingDeadline.start(pendingSetting);
    const int index = ui->cmb_set_AD_I->currentIndex();
    qCDebug(lcProtocol) << index;
    const QByteArray command = analogCurrentCommand(index);
    if (!command.isEmpty())
        transmit(command);
}

void Searial::btn_set_DA_port(bool)
{
    if (!readyToSend() || refusedAsBusy(true))
        return;
    const QByteArray start = ui->lineEdit_W_DA_start->text().toLatin1();
    const QByteArray stop = ui->lineEdit_W_DA_stop->text().toLatin1();
    const QByteArray start2 = ui->lineEdit_W_DA_start2->text().toLatin1();
    const QByteArray stop2 = ui->lineEdit_W_DA_stop2->text().toLatin1();
    if (!isDistanceText(start) || !isDistanceText(stop) || !isDistanceText(start2) ||
        !isDistanceText(stop2)) {
        showBadDistanceBox(this);
        return;
    }
    pendingSetting = SwitchingFirstSetting;
    // The second command is fixed now and sent once the first is acknowledged.
    const QByteArray first = switchingCommands(
        ui->cmb_set_DA_mode->currentIndex(), lineEdit_conversion(start), lineEdit_conversion(stop),
        lineEdit_conversion(start2), lineEdit_conversion(stop2), daCommandTemplate);
    clearRxBuffer();
    responseTimer->start(kResponseWindowMs);
    transmit(first);
    StatusNotes(ui->statusBar).switchingSent(1, start, stop);
}

void Searial::confirmTimedSettings()
{
    const SettingStep step = timedSettingStep(pendingSetting, rxRawBuffer, rxByteCount,
                                       FollowUp{daCommandTemplate, {}, {}});
    if (step.action == Action::SendSecond)
        responseTimer->start(kResponseWindowMs);
    for (const QByteArray &part : step.writes)
        transmit(part);
    if (step.action == Action::SendSecond)
        StatusNotes(ui->statusBar)
            .switchingSent(2, daCommandTemplate.mid(4, kFieldWidth),
                           daCommandTemplate.mid(13, kFieldWidth));
    showVerdict(this, step.action);
    // After the box has been closed.
    pendingSetting = step.next;
}

void Searial::confirmChunkSettings(const QByteArray &chunk)
{
    // The distances are read from their fields only when the sensor may ask
    // for them, not with every frame of a measurement.
    FollowUp typed;
    if (pendingSetting == AnalogSetting) {
        typed.minDistance = ui->lineEdit_W_AD_D_min->text().toLatin1();
        typed.maxDistance = ui->lineEdit_W_AD_D_max->text().toLatin1();
    }
    settingDeadline.take(chunk);
    const SettingStep step = chunkSettingStep(pendingSetting, settingDeadline.sinceWrite(), typed);
    // Before the writes and the box.
    if (step.next != pendingSetting)
        settingDeadline.cancel();
    pendingSetting = step.next;
    if (step.action == Action::SendDistances) {
        qCDebug(lcProtocol) << typed.minDistance;
        qCDebug(lcProtocol) << numberField(typed.maxDistance);
    }
    for (const QByteArray &part : step.writes)
        transmit(part);
    if (step.action == Action::SendDistances)
        StatusNotes(ui->statusBar).analogSent(typed.minDistance, typed.maxDistance);
    showVerdict(this, step.action);
}

void Searial::settingUnanswered(quint8 setting)
{
    // Decided meanwhile, or replaced by another setting: nothing to say.
    if (pendingSetting != setting)
        return;
    pendingSetting = NoSetting;
    StatusNotes(ui->statusBar)
        .settingUnanswered(setting, sentInstead(setting, settingDeadline.sinceWrite()));
}
