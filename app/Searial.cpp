// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Searial.h"

#include "app/focusshown.h"
#include "app/messages.h"
#include "app/sensormenu.h"
#include "app/shortcuts.h"
#include "app/state.h"
#include "app/statuselider.h"
#include "chart/chartwindow.h"
#include "engine/exchanger.h"
#include "measure/recorder.h"
#include "serial/portpreset.h"
#include "ui/help.h"
#include "ui_Searial.h"
#include "view/trafficdisplay.h"
#include "view/unshapedtext.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTime>
#include <QTimer>

#include <cstdlib>

Searial::Searial(QWidget *parent) : QMainWindow(parent), ui(new Ui_Searial)
{
    responseTimer = new QTimer(this);
    // The window waits every query's whole response window, and its
    // buttons let a query or a new setting go while a setting awaits its
    // answer.
    exchanger = std::make_unique<engine::Exchanger>(
        engine::Exchanger::State{&activeCommand, &pendingSetting, &rxBuffer, &rxByteCount,
                                 &rxRawBuffer, &daCommandTemplate, responseTimer},
        engine::Exchanger::Options{false, false});
    ui->setupUi(this);
    // Built for a stream left running for hours: bounded scroll-back, no undo
    // history, and repaints at the screen's pace rather than the line's.
    trafficDisplay = new view::TrafficDisplay(ui->plainTextEdit, view::scrollbackLines(), this);
    // Overwritten with every distance frame, like the display's last line.
    view::drawTextUnshaped(ui->lineEdit_D);
    // Recording starts now, whether the chart is ever opened or not.
    distanceRecorder = new measure::Recorder(this);
    installShortcuts(this, ui);
    new StatusElider(ui->statusBar);
    new FocusShown(this);
    initConnections();
    connectExchanger();
    sensorMenu = std::make_unique<SensorMenu>(
        this, ui,
        SensorMenu::Hooks{[this](const QByteArray &bytes) { transmit(bytes); },
                          [this] { return serial.isOpen(); },
                          [this] {
                              // A profile does not interleave with the window's own exchange.
                              switch (exchanger->busy()) {
                              case engine::Busy::Command:
                                  return QString("Busy: a command is in flight; press Stop "
                                                 "first, then use the Sensor menu");
                              case engine::Busy::Setting:
                                  return QString("Busy: a setting awaits its answer; try the "
                                                 "Sensor menu again in a moment");
                              case engine::Busy::Free:
                                  break;
                              }
                              return QString();
                          },
                          [this](int preset) {
                              serial::applyLinePreset(serial, preset);
                              networkPorts.followPreset(preset);
                              ui->cmb_baud_rate->setCurrentIndex(preset);
                          }});
}

Searial::~Searial()
{
    sensorMenu.reset();
    // The log goes with the window that writes it.
    trafficLog.close();
    saveActive = false;
    delete ui;
}

void Searial::initConnections()
{
    // The timer's connection stays string-based; every other one is typed.
    connect(responseTimer, SIGNAL(timeout()), this, SLOT(handleTimeout()));
    connect(ui->btn_display, &QAbstractButton::clicked, this, &Searial::btn_display_port);
    connect(ui->btn_setting, &QAbstractButton::clicked, this, &Searial::btn_setting_port);
    connect(ui->btn_query, &QAbstractButton::clicked, this, &Searial::btn_query_port);
    connect(ui->btn_usart_number, &QAbstractButton::clicked, this, &Searial::btn_usart_number_port);
    connect(ui->btn_open, &QAbstractButton::clicked, this, &Searial::btn_open_port);
    connect(ui->btn_open_LD, &QAbstractButton::clicked, this, &Searial::btn_open_LD_port);
    connect(ui->btn_td, &QAbstractButton::clicked, this, &Searial::btn_td_port);
    connect(ui->btn_tk, &QAbstractButton::clicked, this, &Searial::btn_tk_port);
    connect(ui->btn_close_LD, &QAbstractButton::clicked, this, &Searial::btn_close_LD_port);
    connect(ui->btn_send, &QAbstractButton::clicked, this, &Searial::btn_send_data);
    connect(ui->btn_c, &QAbstractButton::clicked, this, &Searial::btn_c_port);
    connect(ui->btn_save, &QAbstractButton::clicked, this, &Searial::btn_save_port);
    connect(ui->btn_clear, &QAbstractButton::clicked, this, &Searial::btn_clear_port);
    connect(&serial, &QIODevice::readyRead, this, &Searial::receive_data);
    connect(ui->btn_set_baud_rate, &QAbstractButton::clicked, this,
            &Searial::btn_set_baud_rate_port);
    connect(ui->btn_set_AD, &QAbstractButton::clicked, this, &Searial::btn_set_AD_port);
    connect(ui->btn_set_DA, &QAbstractButton::clicked, this, &Searial::btn_set_DA_port);
    connect(ui->btn_set_Auto_M, &QAbstractButton::clicked, this, &Searial::btn_set_Auto_M_port);
    connect(ui->btn_R_ID, &QAbstractButton::clicked, this, &Searial::btn_R_ID_port);
    connect(ui->btn_R_AD, &QAbstractButton::clicked, this, &Searial::btn_R_AD_port);
    connect(ui->btn_R_DA, &QAbstractButton::clicked, this, &Searial::btn_R_DA_port);
    connect(ui->action_exit, &QAction::triggered, this, &Searial::action_exit_port);
    connect(ui->action_version, &QAction::triggered, this, &Searial::action_version_port);
    connect(ui->action_help, &QAction::triggered, this, &Searial::action_help_port);
    // One chart window; a second activation raises it.
    connect(ui->action_chart, &QAction::triggered, this,
            [this] { chart::ChartWindow::open(this, distanceRecorder); });

    // Not a slot: cmb_port_name_port is left unconnected, and a port picked
    // while one is open is only noted.
    connect(ui->cmb_port_name, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { portChosen(); });

    // A vanished device (adapter unplugged) would otherwise report read errors
    // in a tight loop for ever; treat it as the operator pressing Close.
    connect(&serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { handlePortError(error); });
}

void Searial::sleep(unsigned int msec)
{
    // Time-of-day arithmetic: a deadline past midnight wraps and returns at once.
    const QTime deadline = QTime::currentTime().addMSecs(static_cast<int>(msec));
    while (QTime::currentTime() < deadline) {
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
}

void Searial::btn_display_port(bool)
{
    ui->stackedWidget->setCurrentIndex(2);
}

void Searial::btn_setting_port(bool)
{
    ui->stackedWidget->setCurrentIndex(1);
}

void Searial::btn_query_port(bool)
{
    ui->stackedWidget->setCurrentIndex(0);
}

void Searial::action_exit_port()
{
    // The process ends here and the window is never destroyed, so the port
    // would not be closed and its lock file under /run/lock would stay behind.
    if (serial.isOpen())
        serial.close();
    std::exit(0);
}

void Searial::action_version_port()
{
    QMessageBox::information(this, tr("Version number"), tr("ORVANTE_USART_v1.0."),
                             QMessageBox::Ok);
}

void Searial::action_help_port()
{
    // Each activation opens another window; all of them go with the main window.
    auto *window = new help(this);
    window->setWindowTitle("HELP");
    window->show();
}
