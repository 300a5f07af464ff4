// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/chartwindow.h"

#include "chart/plot.h"
#include "measure/recorder.h"
#include "ui_chartwindow.h"

#include <QDoubleValidator>
#include <QFileDialog>
#include <QSaveFile>

namespace chart {

namespace {

// The choices of the time window, in ms (0: everything recorded).
const qint64 kSpans[] = {10000, 60000, 600000, 3600000, 0};

} // namespace

ChartWindow::ChartWindow(measure::Recorder *recorder, QWidget *owner)
    : QMainWindow(owner), ui(new Ui_ChartWindow), m_recorder(recorder)
{
    ui->setupUi(this);
    for (QLineEdit *edit : {ui->edit_low, ui->edit_high})
        edit->setValidator(new QDoubleValidator(edit));
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

void ChartWindow::applyRange()
{
    bool lowOk = false, highOk = false;
    const double low = QLocale().toDouble(ui->edit_low->text(), &lowOk);
    const double high = QLocale().toDouble(ui->edit_high->text(), &highOk);
    if (!lowOk || !highOk || !(low < high)) {
        ui->statusbar->showMessage(tr("The range needs two numbers in mm, the first below the "
                                      "second."));
        return;
    }
    ui->statusbar->clearMessage();
    ui->plot->setRange(low, high);
}

void ChartWindow::askAndExport(bool csv)
{
    const QString path =
        csv ? QFileDialog::getSaveFileName(this, tr("Export CSV"), QString(), tr("CSV (*.csv)"))
            : QFileDialog::getSaveFileName(this, tr("Export PNG"), QString(), tr("PNG (*.png)"));
    if (path.isEmpty())
        return;
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
    ui->statusbar->showMessage(tr("%1 frames written to %2").arg(lines).arg(path));
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
