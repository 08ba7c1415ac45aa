#include "shell/frmPresentacion.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace korvex::shell {

namespace {

QLabel* makeLabel(const QString& name, const QString& text, qreal pointSize, bool bold, const QString& color,
                  QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    QFont font = label->font();
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setStyleSheet(QString("color: %1; background: transparent;").arg(color));
    return label;
}

} // namespace

frmPresentacion::frmPresentacion(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName("frmPresentacion");
    setWindowTitle("Korvex");
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(600, 360);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 48, 40, 30);
    layout->setSpacing(6);
    layout->addWidget(makeLabel("lblProducto", "Korvex", 44, true, "#ffffff", this));
    layout->addWidget(makeLabel("lblDescripcion", "Presupuestos de obra y análisis de precios unitarios", 13,
                                false, "#dce6f5", this));
    layout->addStretch();
    layout->addWidget(
        makeLabel("lblContinuar", "(Presione una tecla para continuar)", 11, false, "#ffffff", this));
    layout->addSpacing(10);
    layout->addWidget(
        makeLabel("lblVersion", QStringLiteral("Versión " KORVEX_VERSION), 9, false, "#a9bddb", this));

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void frmPresentacion::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, QColor(0x1f, 0x3b, 0x63));
    gradient.setColorAt(1, QColor(0x12, 0x24, 0x3d));
    painter.fillRect(rect(), gradient);
    painter.setPen(QColor(0xe0, 0x9b, 0x2d));
    painter.fillRect(QRect(40, 150, width() - 80, 3), QColor(0xe0, 0x9b, 0x2d));
    painter.setPen(QColor(0x0b, 0x16, 0x26));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmPresentacion::keyPressEvent(QKeyEvent*) {
    carryOn();
}

void frmPresentacion::mousePressEvent(QMouseEvent*) {
    carryOn();
}

void frmPresentacion::carryOn() {
    if (done_)
        return;
    done_ = true;
    emit continued();
}

} // namespace korvex::shell
