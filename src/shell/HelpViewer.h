#pragma once
// The help viewer "Ayuda de Korvex" (frmAyuda): the topics of KORVEX.hlp with a contents list,
// a search over the topics and the topic text, links between topics followed in place. One copy
// is open at a time; asking for help again brings it to the front on the contents page.

#include "shell/HelpFile.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QLabel;

namespace korvex::shell {

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Opens the viewer on the contents of <root>/KORVEX.hlp, or says clearly that the file is
    // missing (message "Error"). Returns the viewer, or nullptr when there is no help to show.
    static HelpViewer* showContents(const QString& rootFolder, QWidget* messageParent = nullptr);
    static HelpViewer* openViewer(); // the open viewer, if any

    explicit HelpViewer(HelpFile file, QWidget* parent = nullptr);
    ~HelpViewer() override;

    void setFile(HelpFile file);
    bool showTopic(const QString& id);
    void search(const QString& query);
    QString currentTopicId() const { return currentId_; }
    QStringList listedTopicIds() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillList(const QList<const HelpTopic*>& topics);

    HelpFile file_;
    QString currentId_;
    QLineEdit* txtBuscar_;
    QListWidget* lstTemas_;
    QTextBrowser* txtTema_;
    QLabel* lblTitulo_;
};

} // namespace korvex::shell
