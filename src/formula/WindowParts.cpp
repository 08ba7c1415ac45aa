#include "formula/WindowParts.h"

#include "ui/Messages.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace korvex::formula {

QLabel* makeHeading(const QString& text, QWidget* parent) {
    auto* heading = new QLabel(text, parent);
    heading->setObjectName("lblTitulo");
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.5);
    font.setBold(true);
    heading->setFont(font);
    heading->setAlignment(Qt::AlignCenter);
    return heading;
}

QPushButton* makeButton(const QString& objectName, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

namespace {

QLabel* makeFigure(const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(130);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

TotalsRow addTotalsRow(QBoxLayout* layout, QWidget* parent) {
    TotalsRow row;
    auto* line = new QHBoxLayout;
    row.aviso = new QLabel(kSumaNoEsUno, parent);
    row.aviso->setObjectName("lblAvisoCoeficiente");
    row.aviso->setStyleSheet("color: #c00000; font-weight: bold;");
    row.aviso->hide();
    line->addWidget(row.aviso);
    line->addStretch();
    line->addWidget(new QLabel("Total =", parent));
    row.costo = makeFigure("lblTotSimbolo", parent);
    row.coeficiente = makeFigure("lblTotCoeficiente", parent);
    line->addWidget(row.costo);
    line->addWidget(row.coeficiente);
    layout->addLayout(line);
    return row;
}

void showCoefficientSum(const TotalsRow& row, Thousandths sum, const QString& text) {
    const bool addsUp = sum == kOne;
    row.coeficiente->setText(text);
    row.coeficiente->setStyleSheet(addsUp ? QString() : QString("color: #c00000;"));
    row.aviso->setVisible(!addsUp);
}

} // namespace korvex::formula
