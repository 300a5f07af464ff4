// SPDX-License-Identifier: GPL-3.0-or-later
// Slots of the sensor protocol: laser and measurements, queries and settings,
// started on the window's exchange engine, and what the window shows of their
// answers and verdicts.

#include "app/Searial.h"

#include "app/logging.h"
#include "app/messages.h"
#include "app/querypage.h"
#include "app/state.h"
#include "app/statusnotes.h"
#include "engine/exchanger.h"
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

QByteArray Searial::lineEdit_conversion(QByteArray x)
{
    return numberField(x);
}

QByteArray Searial::data_analysis(QByteArray x, QByteArray y, int len)
{
    return dataAnalysis(x, y, len);
}

void Searial::connectExchanger()
{
    exchanger->write = [this](const QByteArray &bytes) { transmit(bytes); };
    exchanger->windowEnded = [this](Command) { showWindowEnd(); };
    // The box holds the exchange until the operator has read it (the
    // distances sent on request count as success).
    exchanger->decided = [this](const engine::Exchanger::Outcome &o) {
        if (o.kind == engine::Exchanger::Outcome::Accepted)
            showSuccessBox(this);
        else
            showFailureBox(this);
    };
    exchanger->followingUp = [this](Setting setting, const FollowUp &followUp) {
        showFollowUp(setting, followUp);
    };
    exchanger->unanswered = [this](Setting setting, const QByteArray &instead) {
        StatusNotes(ui->statusBar).settingUnanswered(setting, instead);
    };
    // Read only when the sensor asks for them, not with every frame of a
    // measurement.
    exchanger->typedDistances = [this] {
        return FollowUp{{},
                        ui->lineEdit_W_AD_D_min->text().toLatin1(),
                        ui->lineEdit_W_AD_D_max->text().toLatin1()};
    };
}

bool Searial::refusedAsBusy(bool warn)
{
    if (exchanger->mayStart())
        return false;
    // The fields would otherwise keep the last answer as if it were fresh.
    StatusNotes(ui->statusBar).busy(Command(activeCommand));
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
    exchanger->send(Idle, command);
}

void Searial::btn_open_LD_port(bool)
{
    endExchange(kLaserOn);
}

void Searial::btn_td_port(bool)
{
    if (!readyToSend())
        return;
    exchanger->send(SingleMeasurement, kSingleMeasurement);
}

void Searial::btn_tk_port(bool)
{
    if (!readyToSend())
        return;
    exchanger->send(ContinuousMeasurement, kContinuousMeasurement);
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
        distanceField.take(distances, notFrame, Command(activeCommand), distanceDisplay, awaited);
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

void Searial::startQuery(Command command)
{
    if (!readyToSend() || refusedAsBusy(false))
        return;
    distanceDisplay = false;
    exchanger->query(command);
}

void Searial::btn_R_ID_port(bool)
{
    startQuery(IdentityQuery);
}

void Searial::btn_R_AD_port(bool)
{
    startQuery(AnalogQuery);
}

void Searial::btn_R_DA_port(bool)
{
    startQuery(SwitchingQuery);
}

void Searial::handleTimeout()
{
    qCDebug(lcProtocol) << rxBuffer;
    exchanger->endWindow();
}

void Searial::showWindowEnd()
{
    // Said before the parse empties the buffer, and before a box the operator
    // may be reading it with.
    const Unanswered missing = unansweredAtWindowEnd(
        Command(activeCommand), Setting(pendingSetting), rxRawBuffer, rxByteCount);
    StatusNotes notes(ui->statusBar);
    notes.noAnswer(missing);
    // A complete answer may still not be the sensor's: the fields show it
    // as the sensor's format places it, and the status bar says what it is.
    if (missing.command == Idle)
        notes.notUnderstood(Command(activeCommand), Answer{rxBuffer, rxByteCount, rxRawBuffer});
    parseQueryAnswer();
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
    exchanger->setLinePreset(ui->cmb_set_baud_rate->currentIndex());
}

void Searial::btn_set_Auto_M_port(bool)
{
    if (!readyToSend() || refusedAsBusy(false))
        return;
    exchanger->setAuto(ui->com_set_Auto_M->currentIndex());
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
    const int index = ui->cmb_set_AD_I->currentIndex();
    qCDebug(lcProtocol) << index;
    exchanger->setAnalog(index, ui->lineEdit_W_AD_D_min->text().toLatin1(),
                         ui->lineEdit_W_AD_D_max->text().toLatin1(), false);
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
    // The second command is fixed now, from the texts as they are.
    exchanger->setSwitching(ui->cmb_set_DA_mode->currentIndex(),
                            {lineEdit_conversion(start), lineEdit_conversion(stop),
                             lineEdit_conversion(start2), lineEdit_conversion(stop2)});
    StatusNotes(ui->statusBar).switchingSent(1, start, stop);
}

void Searial::showFollowUp(Setting setting, const FollowUp &followUp)
{
    if (setting == AnalogSetting) {
        qCDebug(lcProtocol) << followUp.minDistance;
        qCDebug(lcProtocol) << numberField(followUp.maxDistance);
        StatusNotes(ui->statusBar).analogSent(followUp.minDistance, followUp.maxDistance);
        return;
    }
    StatusNotes(ui->statusBar)
        .switchingSent(2, followUp.secondCommand.mid(4, kFieldWidth),
                       followUp.secondCommand.mid(13, kFieldWidth));
}
