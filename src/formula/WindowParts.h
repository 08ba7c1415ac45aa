#pragma once
// Pieces the three formula windows share: the heading, the "Total =" row with its two labels and
// the warning shown when the coefficients do not add up to 1.000.

#include "formula/Coefficients.h"

#include <QString>
#include <functional>

class QBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace korvex::formula {

QLabel* makeHeading(const QString& text, QWidget* parent);
QPushButton* makeButton(const QString& objectName, const QString& caption, QWidget* parent);

struct TotalsRow {
    QLabel* costo = nullptr;       // lblTotSimbolo
    QLabel* coeficiente = nullptr; // lblTotCoeficiente
    QLabel* aviso = nullptr;       // lblAvisoCoeficiente, kSumaNoEsUno in red when shown
};
// Adds "Total =" with the two labels to the layout.
TotalsRow addTotalsRow(QBoxLayout* layout, QWidget* parent);
// Shows the real sum; a sum other than 1.000 in red with the warning beside it.
void showCoefficientSum(const TotalsRow& row, Thousandths sum, const QString& text);

} // namespace korvex::formula
