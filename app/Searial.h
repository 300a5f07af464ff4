// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the program fits together. Each folder is a target of its own and uses
// only the folders listed above it.
//
//   version/   The version and application id, for all three programs.
//   protocol/  The sensor's protocol: command bytes, answer parsing, each
//              answer value as it is presented with the check of its form,
//              the analog ranges' codes and names, the line presets, the
//              distance frames in a byte stream and what the distance field
//              shows of them, the lines that answer a setting, and the exchange
//              steps every front end takes (which answer decides a setting and
//              what is written then), and received or read text made safe
//              for one line of a message. No widgets, no port: tests, fuzzers, the
//              simulator and orvante-ctl call it directly.
//   serial/    The serial line without widgets: port discovery (and why a port
//              was left out), what to advise on the system it runs on, a
//              preset on a port, when the device is gone, the traced write,
//              free text, the display's line widths and the traffic log file;
//              network port addresses and the RFC 2217 negotiation's bytes,
//              the pseudo-terminal pair.
//   network/   Ports reached through a serial device server over TCP (raw or
//              RFC 2217), and the pseudo-terminal bridge through which the
//              window's port reaches one.
//   measure/   The distance history without widgets: every frame with its
//              time in a bounded ring, per-second summaries, the statistics
//              the chart and orvante-ctl measure --stats share, the CSV lines.
//   console/   What the programs' command lines share: --help, --version and
//              a usage error (in a message box for a Windows window program
//              without a console); stopping on a signal.
//   sim/       The sensor model, and sensor-sim that serves it on a line.
//   engine/    The exchanges with the sensor on the event loop: what each
//              writes, its response window or deadline, its verdict
//              (protocol/'s) and its follow-up, no blocking wait; one at a
//              time for orvante-ctl and the profiles; for the window, on the
//              exchange state it keeps (app/state.h) and its response timer.
//   profile/   A sensor's settings as a JSON file (regular files only, read
//              without blocking, replaced whole), the comparison of two, and
//              the runner that reads or applies one on the engine.
//   ctl/       orvante-ctl: the window's queries, settings and measurements for
//              scripts, and the profiles, on engine/, profile/, protocol/,
//              serial/, network/, measure/ and console/, no widgets.
//   gateway/   orvante-ctl publish: distances into an MQTT broker through
//              libmosquitto on the event loop, its settings and payloads, on
//              ctl/ (not in the Windows build).
//   view/      The traffic display's widgets: scroll-back and painting at the
//              screen's pace (TrafficDisplay and the widgets it installs),
//              and text drawn without shaping where it changes per frame.
//   chart/     The distance chart window (View > Distance chart): the plot,
//              painted at the screen's pace from per-pixel-column summaries,
//              and its controls; on view/ for the unshaped text.
//   ui/        Designer forms compiled by uic: the main window (Ui_Searial), the
//              help window (Ui_help, with its class) and the Sensor menu's
//              profile result dialog (profileresult.ui).
//   app/       main() and Searial, the one main window. Its slots are the whole
//              behaviour of the program; each stays thin and hands the real work
//              to the folders above: the exchanges to its engine/ Exchanger,
//              bound to the exchange state in state.h (file-scope, as there is
//              one window per process). The Sensor menu (sensormenu.h) runs
//              the profiles with lambdas, not slots; shortcuts.h the window's
//              keys, each of which clicks a button, and focusshown.h shows the
//              focus from the start; statusnotes.h what the status bar says
//              (statuselider.h shortens it to fit, whole in the tooltip),
//              networkports.h what the port opens for a network address,
//              querypage.h the query page's fields as an answer's values fill
//              them; displayscale.h scales the window with the display;
//              widgetreport.h tells the Windows checks where the controls are.
//   tools/     The screenshot driver and the icon scaler; deps.sh, the
//              scripts' shared package list.
//   bench/     Benchmarks that print figures (./bench.sh).
//   fuzz/      libFuzzer targets for the answer parsers and the whole receive
//              path, and their seed inputs (./fuzz.sh).
//   tests/     QtTest suites, each linking only what it tests; tests/support
//              has the pty peer, the write tap, the modal-box answerer and the
//              simulator starter; the install, package and Windows checks.
//   dist/      Desktop entry, AppStream metadata, the manual pages' extra
//              sections; dist/gateway/ the gateway's systemd unit, example
//              configuration and maintainer scripts.
//   cmake/     Install layout, Debian package, manual pages, the
//              pseudo-terminal check.
//
// docs/architecture.md shows how the folders meet.

#include "app/networkports.h"
#include "protocol/codes.h"
#include "protocol/distancefield.h"

#include <QByteArray>
#include <QMainWindow>
#include <QSerialPort>
#include <QStringList>

#include <memory>

class SensorMenu;
namespace engine {
class Exchanger;
}
namespace protocol {
struct FollowUp;
}
class Ui_Searial;

class Searial : public QMainWindow
{
    Q_OBJECT

public:
    explicit Searial(QWidget *parent = nullptr);
    ~Searial() override;

private slots:
    // The order of these declarations is their meta-object index: keep it.
    void sleep(unsigned int msec);
    void handleTimeout();
    QByteArray lineEdit_conversion(QByteArray x);
    QByteArray data_analysis(QByteArray x, QByteArray y, int len);
    void btn_display_port(bool);
    void btn_setting_port(bool);
    void btn_query_port(bool);
    QStringList GetEnableCommPort();
    void cmb_port_name_port();
    void btn_usart_number_port(bool);
    void btn_open_port(bool);
    void btn_send_data(bool);
    void btn_open_LD_port(bool);
    void btn_td_port(bool);
    void btn_tk_port(bool);
    void btn_close_LD_port(bool);
    void btn_R_ID_port(bool);
    void btn_R_AD_port(bool);
    void btn_R_DA_port(bool);
    void btn_c_port(bool);
    void btn_clear_port(bool);
    void btn_save_port(bool);
    void receive_data();
    void btn_set_baud_rate_port(bool);
    void btn_set_AD_port(bool);
    void btn_set_DA_port(bool);
    void btn_set_Auto_M_port(bool);
    void action_exit_port();
    void action_version_port();
    void action_help_port();

private:
    void initConnections();

    // One write to the port, traced (serial::tracedWrite). The result is not
    // examined: a closed or vanished port simply loses the bytes.
    void transmit(const QByteArray &bytes);

    // Every command button asks first. False, and the operator told so, when
    // the port is closed: nothing is sent and no exchange begins (a setting
    // left pending would be decided by whatever answer came much later).
    // True clears the status bar: a new command starts afresh.
    bool readyToSend();
    // Shared by the query and setting slots: true when a command is in flight.
    // With `warn` the operator is told so in the busy box.
    bool refusedAsBusy(bool warn);
    void startQuery(protocol::Command command);
    void endExchange(const QByteArray &command);

    // Appends a chunk to the traffic log; a failure stops logging and tells
    // the operator.
    void logChunk(const QByteArray &chunk);

    // Forgets any pending setting (its answer can only come from the line
    // being closed) and returns it.
    protocol::Setting closePort();
    // While the port is open, Scan keeps it selected.
    void selectHeldPort();
    // Another port picked while one is open: the open one stays in use, and
    // the operator is told so.
    void portChosen();
    // The open port as the list names it.
    QString heldPortName() const;
    // The open port's name: its device, or the network address it reaches.
    QString heldPort() const;
    void handlePortError(QSerialPort::SerialPortError error);

    // Per-chunk protocol step of the receive path: the chart's frame stream
    // records the chunk, and the distance field shows what it found.
    void showDistanceFrames(const QByteArray &chunk);

    // What the window shows of the exchanges the engine runs on its state.
    void connectExchanger();
    // The response window ended: what it lacked, and the query's answer in
    // its fields.
    void showWindowEnd();
    void parseQueryAnswer();
    // A follow-up of a setting goes out: the status bar says what it carries.
    void showFollowUp(protocol::Setting setting, const protocol::FollowUp &followUp);

    Ui_Searial *ui;
    QSerialPort serial;
    // What `serial` opens for a port named by a network address.
    NetworkPorts networkPorts;
    // The exchanges with the sensor, on the state in state.h and its
    // response window: a query is refused only by a command in flight, and
    // always waits its whole window.
    std::unique_ptr<engine::Exchanger> exchanger;
    protocol::DistanceField distanceField;
    // The Sensor menu's profiles; while one runs it gets every chunk, and
    // the command buttons are refused.
    std::unique_ptr<SensorMenu> sensorMenu;
};
