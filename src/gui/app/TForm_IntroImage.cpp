#include "gui/app/TForm_IntroImage.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QScreen>
#include <QStyle>

namespace quillory {

namespace {

constexpr int ClientWidth = 442;
constexpr int ClientHeight = 475;

QLabel* AddText(QWidget* parent, const QString& text, const QFont& font, const QRect& area,
                Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setGeometry(area);
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

QFont ArialBold(int pixels, bool italic = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setItalic(italic);
    return font;
}

// One disc seen from above: a silvery platter with a rainbow sheen and a hole.
void PaintDisc(QPainter& painter, QPointF centre, qreal radius, QColor tint) {
    QRadialGradient platter(centre, radius);
    platter.setColorAt(0.0, QColor(250, 250, 255));
    platter.setColorAt(0.55, tint.lighter(150));
    platter.setColorAt(0.8, tint);
    platter.setColorAt(1.0, tint.darker(140));
    painter.setPen(QPen(QColor(40, 40, 60, 160), 1.5));
    painter.setBrush(platter);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(QColor(225, 225, 235));
    painter.drawEllipse(centre, radius * 0.3, radius * 0.3);
    painter.setBrush(QColor(20, 30, 60));
    painter.drawEllipse(centre, radius * 0.1, radius * 0.1);
}

} // namespace

TForm_IntroImage::TForm_IntroImage(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      okButton_(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName(QStringLiteral("TForm_IntroImage"));
    setFixedSize(ClientWidth + 2, ClientHeight + 2);
    setModal(true);

    QFont caption = font();
    caption.setPixelSize(13);
    caption.setBold(true);
    caption.setItalic(true);
    AddText(this, QStringLiteral("Every disc on the shelf, one search away"), caption,
            QRect(12, 10, ClientWidth - 22, 20), Qt::AlignRight | Qt::AlignVCenter);
    AddText(this, QStringLiteral("Quillory"), ArialBold(35), QRect(1, 250, ClientWidth, 46),
            Qt::AlignCenter);
    AddText(this, QStringLiteral("Version 1.0"), ArialBold(24), QRect(1, 298, ClientWidth, 32),
            Qt::AlignCenter);
    AddText(this, QStringLiteral("The disk cataloguer"), ArialBold(24),
            QRect(1, 336, ClientWidth, 32), Qt::AlignCenter);
    AddText(this, QStringLiteral("hello@quillory.example"), ArialBold(24, true),
            QRect(1, 368, ClientWidth, 32), Qt::AlignCenter);

    QFont buttonFont = font();
    buttonFont.setPixelSize(19);
    buttonFont.setBold(true);
    okButton_->setObjectName(QStringLiteral("OkButton"));
    okButton_->setFont(buttonFont);
    okButton_->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    okButton_->setFixedSize(97, 41);
    okButton_->move((width() - okButton_->width()) / 2, height() - okButton_->height() - 14);
    okButton_->hide();
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    // A coarse timer may fire up to 5% early; the start-up window shows for
    // the full 2.5 seconds.
    closeTimer_.setTimerType(Qt::PreciseTimer);
    closeTimer_.setSingleShot(true);
    closeTimer_.setInterval(CloseDelayMs);
    connect(&closeTimer_, &QTimer::timeout, this, &QDialog::accept);
}

int TForm_IntroImage::ShowModal() {
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    return exec();
}

void TForm_IntroImage::About2Click() {
    closeTimer_.stop();
    okButton_->show();
    okButton_->setEnabled(true);
    ShowModal();
}

void TForm_IntroImage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (firstShowing_) {
        okButton_->hide();
        closeTimer_.start();
    }
}

void TForm_IntroImage::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

void TForm_IntroImage::done(int result) {
    closeTimer_.stop();
    firstShowing_ = false;
    QDialog::done(result);
}

void TForm_IntroImage::paintEvent(QPaintEvent*) {
    // The picture is drawn, not loaded, and stretched over the whole window:
    // a night-blue shelf of discs.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect().adjusted(1, 1, -1, -1);
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, QColor(18, 32, 78));
    sky.setColorAt(0.6, QColor(44, 78, 140));
    sky.setColorAt(1.0, QColor(12, 20, 48));
    painter.fillRect(area, sky);

    const qreal w = area.width();
    const qreal h = area.height();
    PaintDisc(painter, {w * 0.30, h * 0.30}, w * 0.20, QColor(120, 160, 230));
    PaintDisc(painter, {w * 0.62, h * 0.26}, w * 0.17, QColor(200, 140, 220));
    PaintDisc(painter, {w * 0.80, h * 0.42}, w * 0.11, QColor(120, 210, 190));
    painter.fillRect(QRectF(area.left(), h * 0.5, w, h * 0.012), QColor(230, 200, 140));
    painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);
}

} // namespace quillory
