// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/chartwindow.h"

#include "chart/plot.h"
#include "measure/recorder.h"
#include "view/unshapedtext.h"
#include "ui_chartwindow.h"

#include <QAction>
#include <QClipboard>
#include <QDoubleValidator>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QSaveFile>

namespace chart {

namespace {

// The choices of the time window, in ms (0: everything recorded).
const qint64 kSpans[] = {10000, 60000, 600000, 3600000, 0};

// A line of figures changes no faster than it can be read.
constexpr int kStatisticsIntervalMs = 250;

// The widest distance a range field is to show whole, in mm.
const char *const kWidestRange = "-100000.0";

QString rangeProblem()
{
    return ChartWindow::tr("The range needs two numbers in mm, the first below the second.");
}

QString framesText(qint64 count)
{
    return count == 1 ? ChartWindow::tr("1 frame") : ChartWindow::tr("%1 frames").arg(count);
}

} // namespace

ChartWindow::ChartWindow(measure::Recorder *recorder, QWidget *owner)
    : QMainWindow(owner), ui(new Ui_ChartWindow), m_recorder(recorder)
{
    ui->setupUi(this);
    // Written several times a second while frames arrive.
    view::drawTextUnshaped(ui->plot);
    view::drawTextUnshaped(ui->label_statistics);
    for (QLineEdit *edit : {ui->edit_low, ui->edit_high}) {
        edit->setValidator(new QDoubleValidator(edit));
        // Readable at the window's smallest size too: the window cannot be
        // made narrower than its controls need.
        const int wide = edit->fontMetrics().horizontalAdvance(QLatin1String(kWidestRange)) + 16;
        edit->setMinimumWidth(wide);
        edit->setMaximumWidth(qMax(wide, edit->maximumWidth()));
    }
    // Two lines kept for the statistics, which wrap in a narrow window: the
    // plot does not jump as the figures change length. The line fills a
    // holder of that height that has no layout, so that new figures repaint
    // the line without laying the window out again.
    ui->statisticsLine->setFixedHeight(2 * ui->label_statistics->fontMetrics().lineSpacing());
    ui->statisticsLine->installEventFilter(this);
    ui->plot->setSpan(kSpans[ui->cmb_span->currentIndex()]);
    ui->plot->setRecorder(recorder);

    connect(ui->cmb_span, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { ui->plot->setSpan(kSpans[qBound(0, index, 4)]); });
    connect(ui->btn_pause, &QAbstractButton::toggled, this, [this](bool paused) {
        ui->plot->setPaused(paused);
        ui->btn_pause->setText(paused ? tr("Resume") : tr("Pause"));
    });
    connect(ui->chk_autoscale, &QAbstractButton::toggled, this, [this](bool autoscale) {
        ui->edit_low->setEnabled(!autoscale);
        ui->edit_high->setEnabled(!autoscale);
        if (autoscale) {
            ui->plot->setAutoscale();
            if (ui->statusbar->currentMessage() == rangeProblem())
                ui->statusbar->clearMessage();
            return;
        }
        // A fixed range starts from the one shown.
        ui->edit_low->setText(QString::number(ui->plot->lowMm(), 'f', 1));
        ui->edit_high->setText(QString::number(ui->plot->highMm(), 'f', 1));
        applyRange();
    });
    for (QLineEdit *edit : {ui->edit_low, ui->edit_high})
        connect(edit, &QLineEdit::editingFinished, this, [this] { applyRange(); });
    connect(ui->btn_clear, &QAbstractButton::clicked, this, [this] {
        m_recorder->clear();
        ui->plot->rebuild();
        ui->statusbar->clearMessage();
    });
    connect(ui->btn_export_csv, &QAbstractButton::clicked, this, [this] { askAndExport(true); });
    connect(ui->btn_export_png, &QAbstractButton::clicked, this, [this] { askAndExport(false); });

    // Ctrl+C anywhere in the window, unless a range field takes it for its
    // own selection; also in the statistics line's context menu.
    m_copyStatistics = new QAction(tr("Copy statistics"), this);
    m_copyStatistics->setObjectName(QStringLiteral("action_copy_statistics"));
    m_copyStatistics->setShortcut(QKeySequence::Copy);
    m_copyStatistics->setShortcutContext(Qt::WindowShortcut);
    addAction(m_copyStatistics);
    connect(m_copyStatistics, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(statisticsForCopy()); });
    connect(ui->label_statistics, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { showStatisticsMenu(at); });
    m_statisticsTimer.setInterval(kStatisticsIntervalMs);
    connect(&m_statisticsTimer, &QTimer::timeout, this, [this] { refreshStatistics(); });
}

ChartWindow::~ChartWindow()
{
    delete ui;
}

ChartWindow *ChartWindow::open(QWidget *owner, measure::Recorder *recorder)
{
    auto *window = owner->findChild<ChartWindow *>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new ChartWindow(recorder, owner);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

Plot *ChartWindow::plot() const
{
    return ui->plot;
}

QList<QPair<QString, QString>> ChartWindow::statistics() const
{
    const measure::Statistics &view = ui->plot->viewStatistics();
    QList<QPair<QString, QString>> pairs = view.pairs();
    // The rate runs from the first frame in view, which may be one from well
    // before the current run: the time says so.
    for (auto &pair : pairs)
        if (pair.first == QLatin1String("rate"))
            pair.second += " since " +
                           m_recorder->wallTime(view.firstMs()).toString(QStringLiteral("HH:mm:ss"));
    return pairs;
}

QString ChartWindow::statisticsForCopy() const
{
    QStringList cells;
    for (const auto &pair : statistics())
        cells << pair.first << pair.second;
    return cells.join('\t');
}

void ChartWindow::refreshStatistics()
{
    QString text = tr("No frames in view");
    if (!ui->plot->viewStatistics().isEmpty()) {
        // A figure wraps as a whole: "peak to peak 2.9 mm" stays on one line.
        QStringList fields;
        for (const auto &pair : statistics())
            fields << QString(pair.first + " " + pair.second).replace(' ', QChar::Nbsp);
        text = fields.join(", ");
    }
    // Rewriting the same text would drop a selection being made.
    if (ui->label_statistics->text() != text)
        ui->label_statistics->setText(text);
}

void ChartWindow::showStatisticsMenu(const QPoint &at)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(m_copyStatistics);
    const QString selected = ui->label_statistics->selectedText();
    QAction *copySelection = menu->addAction(
        tr("Copy selection"), [selected] { QGuiApplication::clipboard()->setText(selected); });
    copySelection->setEnabled(!selected.isEmpty());
    menu->popup(ui->label_statistics->mapToGlobal(at));
}

bool ChartWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->statisticsLine && event->type() == QEvent::Resize)
        ui->label_statistics->setGeometry(ui->statisticsLine->rect());
    return QMainWindow::eventFilter(watched, event);
}

void ChartWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    refreshStatistics();
    m_statisticsTimer.start();
}

void ChartWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    m_statisticsTimer.stop();
}

void ChartWindow::applyRange()
{
    bool lowOk = false, highOk = false;
    const double low = QLocale().toDouble(ui->edit_low->text(), &lowOk);
    const double high = QLocale().toDouble(ui->edit_high->text(), &highOk);
    if (!lowOk || !highOk || !(low < high)) {
        ui->statusbar->showMessage(rangeProblem());
        return;
    }
    ui->statusbar->clearMessage();
    ui->plot->setRange(low, high);
}

void ChartWindow::askAndExport(bool csv)
{
    // On the heap and watched: the window may go while the dialog is open.
    QPointer<QFileDialog> dialog =
        new QFileDialog(this, csv ? tr("Export CSV") : tr("Export PNG"), QString(),
                        csv ? tr("CSV (*.csv)") : tr("PNG (*.png)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without a suffix gets the format's, before the dialog
    // asks whether to replace a file of that name.
    dialog->setDefaultSuffix(csv ? QStringLiteral("csv") : QStringLiteral("png"));
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return;
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    if (!accepted || chosen.isEmpty())
        return;
    const QString path = chosen.first();
    if (csv)
        exportCsv(path);
    else
        exportPng(path);
}

bool ChartWindow::exportCsv(const QString &path)
{
    // Written whole or not at all: a failed export leaves no half file.
    QSaveFile file(path);
    qint64 lines = -1;
    if (file.open(QIODevice::WriteOnly))
        lines = m_recorder->writeCsv(&file);
    if (lines < 0 || !file.commit()) {
        ui->statusbar->showMessage(tr("Could not write %1: %2").arg(path, file.errorString()));
        return false;
    }
    ui->statusbar->showMessage(tr("%1 written to %2").arg(framesText(lines), path));
    return true;
}

bool ChartWindow::exportPng(const QString &path)
{
    if (!ui->plot->grab().save(path, "PNG")) {
        ui->statusbar->showMessage(tr("Could not write %1").arg(path));
        return false;
    }
    ui->statusbar->showMessage(tr("The plot written to %1").arg(path));
    return true;
}

} // namespace chart
