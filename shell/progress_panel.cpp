#include "shell/progress_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace ornavex {

ProgressPanel::ProgressPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("progressPanel"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    label_ = new QLabel(this);
    label_->setMinimumWidth(120);
    // The text is cut to the label's width, not the label widened to it.
    label_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    layout->addWidget(label_, 1);
    layout->addWidget(bar_, 1);
    layout->addWidget(cancel);
    connect(cancel, &QPushButton::clicked, this, &ProgressPanel::cancelRequested);
}

void ProgressPanel::ShowScanning() {
    SetText(tr("Looking for files…"));
    bar_->setRange(0, 0); // busy indicator: the size of a tree is not known ahead
}

void ProgressPanel::ShowRunStarting() {
    SetText(tr("Reading…"));
    bar_->setRange(0, 1000);
    bar_->setValue(0);
    bar_->setTextVisible(false);
}

QString ProgressPanel::text() const {
    return text_ + note_;
}

void ProgressPanel::SetText(const QString& text, const QString& note) {
    text_ = text;
    note_ = note;
    ShowText();
}

void ProgressPanel::ShowText() {
    // The note stays whole; the text gives way.
    const QFontMetrics metrics = label_->fontMetrics();
    const int room = std::max(0, label_->width() - metrics.horizontalAdvance(note_));
    label_->setText(metrics.elidedText(text_, Qt::ElideMiddle, room) + note_);
}

void ProgressPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ShowText();
}

void ProgressPanel::ShowRun(std::uint64_t bytesDone, std::uint64_t totalBytes,
                            const QString& currentFile, std::uint64_t diskBytes, int diskPercent) {
    const QLocale locale;
    const QString disk = locale.formattedDataSize(static_cast<qint64>(diskBytes));
    bar_->setRange(0, 1000);
    bar_->setTextVisible(true);
    if (diskPercent >= 0) {
        SetText(tr("Sorting out the addresses…"),
                diskBytes == 0 ? QString() : tr(" (disk: %1)").arg(disk));
        label_->setToolTip(QString());
        bar_->setValue(diskPercent * 10);
        bar_->setFormat(QStringLiteral("%p%"));
        return;
    }
    const QString file = currentFile.isEmpty() ? tr("Reading…") : currentFile;
    SetText(file, diskBytes == 0 ? QString() : tr(" (disk: %1)").arg(disk));
    label_->setToolTip(currentFile);
    bar_->setValue(totalBytes == 0 ? 0
                                   : static_cast<int>(1000.0 * static_cast<double>(bytesDone) /
                                                      static_cast<double>(totalBytes)));
    bar_->setFormat(locale.formattedDataSize(static_cast<qint64>(bytesDone)) + " / " +
                    locale.formattedDataSize(static_cast<qint64>(totalBytes)));
}

} // namespace ornavex
