#pragma once
// The start-up screen: the product name and "(Presione una tecla para continuar)". A key or a
// click anywhere on it continues to the frame window, once.

#include <QWidget>

namespace korvex::shell {

class frmPresentacion : public QWidget {
    Q_OBJECT
public:
    explicit frmPresentacion(QWidget* parent = nullptr);

signals:
    void continued();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void carryOn();
    bool done_ = false;
};

} // namespace korvex::shell
