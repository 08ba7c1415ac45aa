#include "shell/HelpViewer.h"

#include "ui/Messages.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korvex::shell {

namespace {

QPointer<HelpViewer>& openCopy() {
    static QPointer<HelpViewer> viewer;
    return viewer;
}

const char* const kStyle = R"(
    h1 { font-size: 15pt; color: #1f3b63; margin-bottom: 6px; }
    h2 { font-size: 12pt; color: #1f3b63; margin-top: 14px; }
    p, li { font-size: 10pt; line-height: 130%; }
    td, th { font-size: 10pt; padding: 3px 8px; }
    th { background-color: #e3e9f2; }
    kbd, code { font-family: monospace; background-color: #eef1f5; }
    a { color: #1d5fb4; }
)";

} // namespace

HelpViewer* HelpViewer::showContents(const QString& rootFolder, QWidget* messageParent) {
    QString reason;
    auto file = HelpFile::load(QDir(rootFolder).filePath(HelpFile::kFileName), &reason);
    if (!file) {
        ui::messages::error(messageParent, reason);
        return nullptr;
    }
    HelpViewer* viewer = openCopy();
    if (viewer)
        viewer->setFile(std::move(*file));
    else {
        viewer = new HelpViewer(std::move(*file));
        // A new viewer opens over the middle of the program's window, not in a corner of the screen.
        if (const QWidget* over = messageParent ? messageParent->window() : nullptr) {
            const QRect area = over->frameGeometry();
            viewer->move(area.center() - QPoint(viewer->width() / 2, viewer->height() / 2));
        }
    }
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

HelpViewer* HelpViewer::openViewer() {
    return openCopy();
}

HelpViewer::HelpViewer(HelpFile file, QWidget* parent)
    : QWidget(parent, Qt::Window), file_(std::move(file)), txtBuscar_(new QLineEdit(this)),
      lstTemas_(new QListWidget(this)), txtTema_(new QTextBrowser(this)), lblTitulo_(new QLabel(this)) {
    setObjectName("frmAyuda");
    setWindowTitle("Ayuda de Korvex");
    setAttribute(Qt::WA_DeleteOnClose);
    openCopy() = this;

    txtBuscar_->setObjectName("txtBuscar");
    txtBuscar_->setPlaceholderText("Buscar un tema...");
    txtBuscar_->setClearButtonEnabled(true);
    lstTemas_->setObjectName("lstTemas");
    lstTemas_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstTemas_->setTextElideMode(Qt::ElideRight);
    lstTemas_->setStyleSheet("QListWidget::item { padding: 3px 4px; }");
    txtTema_->setObjectName("txtTema");
    txtTema_->setOpenLinks(false);
    txtTema_->document()->setDefaultStyleSheet(kStyle);
    txtTema_->document()->setDocumentMargin(14);
    lblTitulo_->setObjectName("lblTemas");
    lblTitulo_->setText("<b>Temas de ayuda</b>");

    auto* cmdContenido = new QPushButton("Contenido", this);
    cmdContenido->setObjectName("cmdContenido");
    auto* cmdCerrar = new QPushButton("Cerrar (Esc)", this);
    cmdCerrar->setObjectName("cmdCerrar");

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(lblTitulo_);
    leftLayout->addWidget(txtBuscar_);
    leftLayout->addWidget(lstTemas_, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(txtTema_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({290, 610});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdContenido);
    buttons->addStretch();
    buttons->addWidget(cmdCerrar);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    connect(txtBuscar_, &QLineEdit::textChanged, this, &HelpViewer::search);
    connect(txtBuscar_, &QLineEdit::returnPressed, this, [this] {
        if (lstTemas_->count() > 0)
            showTopic(lstTemas_->item(0)->data(Qt::UserRole).toString());
    });
    connect(lstTemas_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            showTopic(item->data(Qt::UserRole).toString());
    });
    connect(txtTema_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme().isEmpty() && !url.fragment().isEmpty())
            showTopic(url.fragment());
    });
    connect(cmdContenido, &QPushButton::clicked, this, [this] {
        txtBuscar_->clear();
        showTopic(file_.contents().id);
    });
    connect(cmdCerrar, &QPushButton::clicked, this, &QWidget::close);

    resize(940, 640);
    setFile(file_);
}

HelpViewer::~HelpViewer() {
    if (openCopy() == this)
        openCopy() = nullptr;
}

void HelpViewer::setFile(HelpFile file) {
    file_ = std::move(file);
    txtBuscar_->blockSignals(true);
    txtBuscar_->clear();
    txtBuscar_->blockSignals(false);
    search(QString());
    showTopic(file_.contents().id);
}

bool HelpViewer::showTopic(const QString& id) {
    const HelpTopic* topic = file_.find(id);
    if (!topic)
        return false;
    currentId_ = id;
    txtTema_->setHtml(topic->html);
    txtTema_->moveCursor(QTextCursor::Start);
    for (int i = 0; i < lstTemas_->count(); ++i)
        if (lstTemas_->item(i)->data(Qt::UserRole).toString() == id) {
            lstTemas_->blockSignals(true);
            lstTemas_->setCurrentRow(i);
            lstTemas_->blockSignals(false);
        }
    return true;
}

void HelpViewer::search(const QString& query) {
    fillList(file_.search(query));
}

void HelpViewer::fillList(const QList<const HelpTopic*>& topics) {
    lstTemas_->blockSignals(true);
    lstTemas_->clear();
    for (const HelpTopic* topic : topics) {
        auto* item = new QListWidgetItem(topic->title, lstTemas_);
        item->setData(Qt::UserRole, topic->id);
    }
    lstTemas_->blockSignals(false);
}

QStringList HelpViewer::listedTopicIds() const {
    QStringList ids;
    for (int i = 0; i < lstTemas_->count(); ++i)
        ids.append(lstTemas_->item(i)->data(Qt::UserRole).toString());
    return ids;
}

void HelpViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace korvex::shell
