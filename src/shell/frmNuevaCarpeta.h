#pragma once
// "Nuevo Proyecto": asks for the name of a new project, made inside the folder the main window's
// folder list shows. The dialog stays open on a refusal (empty name, a name in use, a folder the
// system will not make) and closes once the project folder and its database exist.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex::shell {

class frmNuevaCarpeta : public QDialog {
    Q_OBJECT
public:
    frmNuevaCarpeta(const QString& parentFolder, const QString& rootFolder, QWidget* parent = nullptr);

    QString createdFolder() const { return created_; }
    QLineEdit* nameEdit() const { return txtNuevaCarpeta_; }

    void accept() override; // cmdAceptar, Enter: create, or say why not

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString parentFolder_;
    QString root_;
    QString created_;
    QLineEdit* txtNuevaCarpeta_;
};

} // namespace korvex::shell
