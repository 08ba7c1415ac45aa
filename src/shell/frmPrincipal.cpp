#include "shell/frmPrincipal.h"

#include "shell/FolderLists.h"
#include "shell/HelpViewer.h"
#include "shell/frmNuevaCarpeta.h"
#include "store/ProjectFolders.h"
#include "store/ProjectLock.h"
#include "store/WriteGuard.h"
#include "ui/Grid.h"
#include "ui/Messages.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

namespace korvex::shell {

namespace {

constexpr int kButtonWidth = 224;
constexpr int kButtonHeight = 30;
constexpr int kPanelMargin = 18;
constexpr int kColumnGap = 16;
constexpr int kRowGap = 8;
constexpr int kPanelRows = 7;
constexpr int kPanelColumns = 3;
constexpr int kPanelWidth =
    2 * kPanelMargin + kPanelColumns * kButtonWidth + (kPanelColumns - 1) * kColumnGap;
constexpr int kPanelHeight = 2 * kPanelMargin + kPanelRows * kButtonHeight + (kPanelRows - 1) * kRowGap;
// The six tabs span the button panel exactly.
constexpr int kTabWidth = kPanelWidth / 6;

const char* const kTabCaptions[] = {"Presupuesto", "Reajuste", "Cronograma",
                                    "Presupuesto", "Reajuste", "Cronograma"};
const char* const kFirstButtonOfTab[] = {"cmdDatosPres", "cmdSimbolos", "cmdGrupos",
                                         "cmdMaterial",  "cmdSimboloR", "cmdGruposC"};
// Buttons shown on their tab but with no action of their own until a feature registers one.
const QStringList kButtonsWithoutAction = {"cmdCalcular", "cmdCopiarAna", "cmdComponentes"};

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter on a focused button presses it, as Space does: the tab strip's Down key hands the
    // focus to a button so that the keyboard alone reaches every window.
    button->setAutoDefault(true);
    return button;
}

} // namespace

const QList<TabButtonSpec>& frmPrincipal::tabButtonSpecs() {
    static const QList<TabButtonSpec> dataDefs = {
        // 1 "Presupuesto": the budget, its resources and copies from other projects.
        {"cmdDatosPres", "Datos de Presupuesto", "frmDatosPresupuesto", 1, 0, 0},
        {"cmdAnalisis", "Análisis", "frmAnalisis", 1, 0, 1},
        {"cmdCostInd", "% Costos Indirectos", "frmDescripcion", 1, 0, 2},
        {"cmdCalculo", "Calculo del Presupuesto", nullptr, 1, 0, 3},
        {"cmdPresentacion", "Presentacion de Presupuesto", "frmPresPresu", 1, 0, 4},
        {"cmdCalcular", "Calcular MEM", nullptr, 1, 1, 0},
        {"cmdLista", "Lista MEM", "frmListaMEM", 1, 1, 1},
        {"cmdCorregir", " Corregir", "frmCorregir", 1, 1, 2},
        {"cmdBuscar", "Buscar", "frmBuscar", 1, 1, 3},
        {"cmdRendimiento", "Cambiar Rendimiento", "frmRendimiento", 1, 1, 4},
        {"cmdCopiarPre", "Copiar Presupuesto", "frmSeleccionarDir", 1, 2, 0},
        {"cmdCopiarAna", "Copiar Análisis", nullptr, 1, 2, 1},
        {"cmdCopiarPrecios", "Copiar Precios", "frmSeleccionarDir", 1, 2, 2},
        // 2 "Reajuste"
        {"cmdSimbolos", "Símbolos", "frmSimbolos", 2, 0, 0},
        {"cmdCuadrilla", "Cuadrilla", "frmCuadrilla", 2, 0, 1},
        {"cmdFormula", "Formula", "frmFormula", 2, 0, 2},
        // 3 "Cronograma"
        {"cmdGrupos", "Grupos", "frmGrupos", 3, 0, 0},
        {"cmdDescripcion", "Descripcion", "frmGruposDesc", 3, 0, 1},
        {"cmdComponentes", "Componentes", nullptr, 3, 0, 2},
        {"cmdCrono", "Cronograma", "frmCronograma", 3, 0, 3},
        {"cmdCrono2", "Cronograma Nuevo", "frmCronograma2", 3, 0, 4},
        // 4 to 6: reports, wired by the reports through their button actions.
        {"cmdMaterial", "Materiales", nullptr, 4, 0, 0},
        {"cmdEquipo", "Equipo", nullptr, 4, 0, 1},
        {"cmdMano", "Mano de Obra", nullptr, 4, 0, 2},
        {"cmdTrans", "Transporte", nullptr, 4, 0, 3},
        {"cmdPresup", "Presupuesto", nullptr, 4, 1, 0},
        {"cmdImpAnalisis", "Analisis", nullptr, 4, 1, 1},
        {"cmdSimboloR", "Simbolos", nullptr, 5, 0, 0},
        {"cmdFormulaR", "Formulas", nullptr, 5, 0, 1},
        {"cmdCuadrillaR", "Cuadrilla", nullptr, 5, 0, 2},
        {"cmdGruposC", "Grupos", nullptr, 6, 0, 0},
        {"cmdCronoP", "Cronograma Propuesto", nullptr, 6, 0, 1},
        {"cmdCronoC", "Cronograma Componentes", nullptr, 6, 0, 2},
        // Format and period buttons: shown only by their group buttons.
        {"cmdFormatoPres1", "Formato 1", nullptr, 0, 2, 0},
        {"cmdFormatoPres2", "Formato 2", nullptr, 0, 2, 1},
        {"cmdFormatoPres3", "Formato 3", nullptr, 0, 2, 2},
        {"cmdFormatoPresC", "Formato C", nullptr, 0, 2, 3},
        {"cmdFormatoAna1", "Formato 1", nullptr, 0, 2, 0},
        {"cmdFormatoAna2", "Formato 2", nullptr, 0, 2, 1},
        {"cmdFormatoAna3", "Formato 3", nullptr, 0, 2, 2},
        {"cmdFormatoAna4", "Formato 4", nullptr, 0, 2, 3},
        {"cmdFormatoAna5", "Formato 5", nullptr, 0, 2, 4},
        {"cmdCronoTodo", "Todos los Periodos", nullptr, 0, 2, 0},
        {"cmdCrono6", "Periodos 1-6", nullptr, 0, 2, 1},
        {"cmdCrono12", "Periodos 7-12", nullptr, 0, 2, 2},
        {"cmdCronoNuevo", "Cronograma Nuevo", nullptr, 0, 2, 3},
        {"cmdCronoNuevo2", "Cronograma Nuevo 2", nullptr, 0, 2, 4},
        {"cmdCronoNuevo3", "Cronograma Nuevo 3", nullptr, 0, 2, 5},
        {"cmdCronoNuevo4", "Cronograma Nuevo 4", nullptr, 0, 2, 6},
    };
    return dataDefs;
}

QStringList frmPrincipal::formatButtonNames() {
    QStringList names;
    for (const TabButtonSpec& dataDef : tabButtonSpecs())
        if (dataDef.tab == 0)
            names.append(dataDef.name);
    return names;
}

frmPrincipal::frmPrincipal(const QString& rootFolder, ui::WindowRegistry& registry, QWidget* parent)
    : QWidget(parent), root_(QDir::cleanPath(QFileInfo(rootFolder).absoluteFilePath())), registry_(registry) {
    setObjectName("frmPrincipal");
    setWindowTitle("Principal");

    auto* top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(buildFolderPanel());
    top->addWidget(buildTabPanel(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 10);
    layout->setSpacing(10);
    layout->addLayout(top, 1);
    layout->addWidget(buildBottomBar());

    // Start-up state: the folder list at the root folder, no project open.
    if (!dir1_->setPath(root_))
        dir1_->setPath(QDir::rootPath());
    carpetaActual_ = dir1_->path();
    drive1_->showDriveOf(dir1_->path());
    applyModoAbrir();
    updateProjectLabel();
    dir1_->setFocus();
}

QWidget* frmPrincipal::buildFolderPanel() {
    auto* box = new QGroupBox("Proyectos", this);
    box->setObjectName("fraProyectos");
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(6);

    auto* unidad = new QLabel("&Unidad:", box);
    drive1_ = new DriveList(box);
    drive1_->setObjectName("Drive1");
    unidad->setBuddy(drive1_);
    auto* carpetas = new QLabel("&Carpetas:", box);
    dir1_ = new FolderList(box);
    dir1_->setObjectName("Dir1");
    dir1_->setRootFolder(root_);
    dir1_->setMinimumSize(270, 250);
    carpetas->setBuddy(dir1_);
    lblCarpeta_ = new QLabel(box);
    lblCarpeta_->setObjectName("lblCarpeta");
    lblCarpeta_->setFixedWidth(270);
    QFont small = lblCarpeta_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    lblCarpeta_->setFont(small);

    cmdAbrir_ = makeButton("cmdAbrir", "Abrir Proyecto (F3)", box);
    cmdCrear_ = makeButton("cmdCrear", "Crear Proyecto (F5)", box);
    cmdBorrar_ = makeButton("cmdBorrar", "Borrar Proyecto (F10)", box);
    for (QPushButton* button : {cmdAbrir_, cmdCrear_, cmdBorrar_})
        button->setMinimumHeight(kButtonHeight);

    layout->addWidget(unidad);
    layout->addWidget(drive1_);
    layout->addSpacing(4);
    layout->addWidget(carpetas);
    layout->addWidget(dir1_, 1);
    layout->addWidget(lblCarpeta_);
    layout->addSpacing(4);
    layout->addWidget(cmdAbrir_);
    layout->addWidget(cmdCrear_);
    layout->addWidget(cmdBorrar_);

    connect(cmdAbrir_, &QPushButton::clicked, this,
            [this] { modoAbrir_ ? openSelectedFolder() : closeProject(); });
    connect(cmdCrear_, &QPushButton::clicked, this, &frmPrincipal::createProject);
    connect(cmdBorrar_, &QPushButton::clicked, this, &frmPrincipal::deleteProject);
    connect(drive1_, &DriveList::driveChosen, this, &frmPrincipal::chooseDrive);
    connect(dir1_, &FolderList::pathChanged, this, [this](const QString& path) {
        carpetaActual_ = path;
        showFolderPath(path);
    });
    showFolderPath(dir1_->path());
    dir1_->installEventFilter(this);
    return box;
}

QWidget* frmPrincipal::buildTabPanel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* headings = new QHBoxLayout;
    headings->setSpacing(0);
    auto* lblEdicion = new QLabel("Edición", panel);
    lblEdicion->setObjectName("lblEdicion");
    auto* lblImpresion = new QLabel("Impresión", panel);
    lblImpresion->setObjectName("lblImpresion");
    for (QLabel* label : {lblEdicion, lblImpresion}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedWidth(3 * kTabWidth);
        label->setMinimumHeight(24);
        headings->addWidget(label);
    }
    headings->addStretch();
    layout->addLayout(headings);

    tabOpciones_ = new QTabBar(panel);
    tabOpciones_->setObjectName("tabOpciones");
    tabOpciones_->setExpanding(false);
    tabOpciones_->setDrawBase(false);
    tabOpciones_->setStyleSheet(QString("QTabBar::tab { width: %1px; height: 26px; }").arg(kTabWidth));
    for (const char* caption : kTabCaptions)
        tabOpciones_->addTab(caption);
    tabOpciones_->installEventFilter(this);
    connect(tabOpciones_, &QTabBar::currentChanged, this, [this](int index) {
        if (tabChosen_ && !modoAbrir_)
            layOutTab(index + 1);
    });
    layout->addWidget(tabOpciones_);

    auto* frame = new QFrame(panel);
    frame->setObjectName("fraBotones");
    frame->setFrameShape(QFrame::StyledPanel);
    // As wide as the tabs; as tall as the folder panel beside it, so both end on one line.
    frame->setFixedWidth(kPanelWidth);
    frame->setMinimumHeight(kPanelHeight);
    createTabButtons(frame);
    lblIndicacion_ = new QLabel(frame);
    lblIndicacion_->setObjectName("lblIndicacion");
    lblIndicacion_->setAlignment(Qt::AlignCenter);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(lblIndicacion_);
    lblIndicacion_->setStyleSheet("color: palette(mid);");
    layout->addWidget(frame, 1);
    return panel;
}

void frmPrincipal::createTabButtons(QWidget* panel) {
    for (const TabButtonSpec& dataDef : tabButtonSpecs()) {
        QPushButton* button = makeButton(dataDef.name, dataDef.caption, panel);
        button->setGeometry(kPanelMargin + dataDef.column * (kButtonWidth + kColumnGap),
                            kPanelMargin + dataDef.row * (kButtonHeight + kRowGap), kButtonWidth,
                            kButtonHeight);
        button->hide();
        const QString name = dataDef.name;
        connect(button, &QPushButton::clicked, this, [this, name] { runTabButton(name); });
        buttons_.insert(name, button);
    }
    for (QPushButton* button : std::as_const(buttons_))
        button->installEventFilter(this);
}

QWidget* frmPrincipal::buildBottomBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    auto* status = new QVBoxLayout;
    status->setSpacing(2);
    lblProyecto_ = new QLabel(bar);
    lblProyecto_->setObjectName("lblProyecto");
    lblEstado_ = new QLabel(bar);
    lblEstado_->setObjectName("lblEstado");
    status->addWidget(lblProyecto_);
    status->addWidget(lblEstado_);
    layout->addLayout(status, 1);
    cmdHelp_ = makeButton("cmdHelp", "Ayuda (F1)", bar);
    cmdSalir_ = makeButton("cmdSalir", "Salir (Esc)", bar);
    for (QPushButton* button : {cmdHelp_, cmdSalir_}) {
        button->setMinimumSize(130, kButtonHeight);
        layout->addWidget(button);
    }
    connect(cmdHelp_, &QPushButton::clicked, this, &frmPrincipal::showHelp);
    connect(cmdSalir_, &QPushButton::clicked, this, &frmPrincipal::leaveApplication);
    return bar;
}

QString frmPrincipal::openProjectName() const {
    return modoAbrir_ ? QString() : QFileInfo(carpetaActual_).fileName();
}

ui::WindowContext frmPrincipal::context() const {
    ui::WindowContext context;
    context.projectFolder = dir1_->path();
    context.rootFolder = root_;
    context.mainWindow = const_cast<frmPrincipal*>(this);
    return context;
}

void frmPrincipal::applyModoAbrir() {
    cmdAbrir_->setText(modoAbrir_ ? "Abrir Proyecto (F3)" : "Cerrar Proyecto (F3)");
    for (QWidget* control : std::initializer_list<QWidget*>{cmdCrear_, cmdBorrar_, dir1_, drive1_})
        control->setEnabled(modoAbrir_);
    tabOpciones_->setEnabled(!modoAbrir_);
    if (modoAbrir_)
        hideAllTabButtons();
}

void frmPrincipal::openSelectedFolder() {
    const QString folder = dir1_->path();
    const store::FolderResult check = store::checkOpenProject(folder, root_);
    if (!check.ok) {
        showFolderResultMessage(check.title, check.message);
        dir1_->setFocus();
        return;
    }
    if (!takeProjectLock(folder)) {
        dir1_->setFocus();
        return;
    }
    modoAbrir_ = false;
    tabChosen_ = false;
    carpetaActual_ = folder;
    applyModoAbrir();
    updateHint();
    tabOpciones_->setFocus();
    updateProjectLabel();
    showStatus(QString());
    emit projectOpened(folder);
}

void frmPrincipal::closeProject() {
    hideAllTabButtons();
    modoAbrir_ = true;
    tabChosen_ = false;
    applyModoAbrir();
    dir1_->setFocus();
    dir1_->setPath(root_);
    carpetaActual_ = dir1_->path();
    drive1_->showDriveOf(root_);
    updateProjectLabel();
    showStatus(QString());
    releaseUnusedLocks();
    emit projectClosed();
}

frmPrincipal::~frmPrincipal() {
    for (const auto& [key, folder] : readOnlyFolders_)
        store::setReadOnly(folder, false);
}

bool frmPrincipal::takeProjectLock(const QString& folder) {
    const QString key = store::folderKey(folder);
    readOnly_ = false;
    if (locks_.count(key))
        return true; // still held for editors left open since the project was closed
    store::ProjectLock::Attempt attempt = store::ProjectLock::forDesktop(folder);
    switch (attempt.status) {
    case store::ProjectLock::Status::Taken:
        locks_[key] = std::move(attempt.lock);
        readOnlyFolders_.erase(key);
        store::setReadOnly(folder, false);
        return true;
    case store::ProjectLock::Status::Held:
        if (ui::messageService().show(
                this, QStringLiteral("Proyecto en uso"),
                attempt.message + QStringLiteral("\n¿Desea abrirlo en modo de solo lectura?"),
                ui::MessageButtons::YesNo, ui::MessageIcon::Question) != ui::MessageAnswer::Yes)
            return false;
        break;
    case store::ProjectLock::Status::Unavailable:
        ui::messages::information(this, QStringLiteral("Solo lectura"),
                                  attempt.message +
                                      QStringLiteral("; el proyecto se abre en modo de solo lectura."));
        break;
    }
    readOnly_ = true;
    readOnlyFolders_[key] = folder;
    store::setReadOnly(folder, true);
    return true;
}

void frmPrincipal::releaseUnusedLocks() {
    const QString openKey = modoAbrir_ ? QString() : store::folderKey(carpetaActual_);
    const auto unused = [&](const QString& key, const QString& folder) {
        return key != openKey && registry_.windowsOn(folder).isEmpty();
    };
    for (auto it = locks_.begin(); it != locks_.end();)
        it = unused(it->first, it->second->projectFolder()) ? locks_.erase(it) : std::next(it);
    for (auto it = readOnlyFolders_.begin(); it != readOnlyFolders_.end();) {
        if (unused(it->first, it->second)) {
            store::setReadOnly(it->second, false);
            it = readOnlyFolders_.erase(it);
        } else {
            ++it;
        }
    }
}

void frmPrincipal::createProject() {
    if (!modoAbrir_)
        return;
    frmNuevaCarpeta dialog(dir1_->path(), root_, this);
    if (dialog.exec() == QDialog::Accepted) {
        dir1_->refresh();
        dir1_->highlight(dialog.createdFolder());
        showStatus(QString("Proyecto creado: %1").arg(QFileInfo(dialog.createdFolder()).fileName()));
    }
    dir1_->setFocus();
}

void frmPrincipal::deleteProject() {
    if (!modoAbrir_)
        return;
    const QString folder = dir1_->path();
    const store::FolderResult check = store::checkDeleteProject(folder, root_);
    if (!check.ok) {
        showFolderResultMessage(check.title, check.message);
        return;
    }
    // A window still open on the project (its project was closed, the window was not) would go on
    // saving into a file that no longer exists and say it saved.
    QStringList inUse;
    for (const QWidget* window : registry_.windowsOn(folder))
        inUse.append(QString("«%1»").arg(window->windowTitle().isEmpty() ? window->objectName()
                                                                         : window->windowTitle()));
    if (!inUse.isEmpty()) {
        showFolderResultMessage(
            {}, QString("No se puede borrar el Proyecto %1 mientras esté abierto en otra ventana "
                        "(%2). Ciérrela primero.")
                    .arg(QDir::toNativeSeparators(folder), inUse.join(", ")));
        return;
    }
    if (!ui::messages::confirm(this, store::deleteQuestion(QDir::toNativeSeparators(folder))))
        return;
    // The folder list lets go of the project folder before it is deleted.
    dir1_->setPath(root_);
    const store::FolderResult result = store::deleteProject(folder, root_);
    if (!result.ok)
        showFolderResultMessage(result.title, result.message);
    else
        showStatus(QString("Proyecto eliminado: %1").arg(QFileInfo(folder).fileName()));
    dir1_->refresh();
}

void frmPrincipal::chooseDrive(const QString& root) {
    if (dir1_->setPath(root))
        return;
    ui::messageService().show(this, ui::kApplicationTitle,
                              QString("La unidad %1 no está disponible.").arg(QDir::toNativeSeparators(root)),
                              ui::MessageButtons::Ok, ui::MessageIcon::Warning);
    drive1_->setCurrentIndex(0);
    dir1_->setPath(drive1_->currentRoot());
}

void frmPrincipal::showFolderResultMessage(const QString& title, const QString& message) {
    if (title == "Error")
        ui::messages::error(this, message);
    else if (title == "Advertencia")
        ui::messages::warning(this, message);
    else
        ui::messageService().show(this, title.isEmpty() ? QString(ui::kApplicationTitle) : title, message,
                                  ui::MessageButtons::Ok, ui::MessageIcon::Warning);
}

void frmPrincipal::layOutTab(int tabIndex) {
    if (modoAbrir_ || tabIndex < 1 || tabIndex > 6)
        return;
    tabChosen_ = true;
    for (const TabButtonSpec& dataDef : tabButtonSpecs()) {
        QPushButton* button = buttons_.value(dataDef.name);
        button->setVisible(dataDef.tab == tabIndex);
        if (kButtonsWithoutAction.contains(dataDef.name))
            button->setEnabled(registry_.hasButton(dataDef.name));
    }
    updateHint();
}

void frmPrincipal::hideAllTabButtons() {
    for (QPushButton* button : std::as_const(buttons_))
        button->hide();
    updateHint();
}

void frmPrincipal::updateHint() {
    if (!lblIndicacion_)
        return;
    if (modoAbrir_)
        lblIndicacion_->setText("Abra un proyecto para trabajar con él.");
    else
        lblIndicacion_->setText("Elija una pestaña para ver sus opciones.");
    lblIndicacion_->setVisible(modoAbrir_ || !tabChosen_);
}

void frmPrincipal::focusFirstButtonOfTab() {
    const int index = tabOpciones_->currentIndex();
    if (modoAbrir_ || index < 0 || index > 5)
        return;
    if (!tabChosen_)
        layOutTab(index + 1);
    buttons_.value(kFirstButtonOfTab[index])->setFocus();
}

void frmPrincipal::showHelp() {
    HelpViewer::showContents(root_, this);
}

void frmPrincipal::leaveApplication() {
    emit leaveRequested();
}

void frmPrincipal::runTabButton(const QString& name) {
    const auto dataDef = std::find_if(tabButtonSpecs().begin(), tabButtonSpecs().end(),
                                      [&](const TabButtonSpec& s) { return name == s.name; });
    ui::WindowContext context = this->context();
    if (name == "cmdCopiarPre")
        context.arguments.insert("txtOpcion", "1");
    else if (name == "cmdCopiarPrecios")
        context.arguments.insert("txtOpcion", "0");
    try {
        if (registry_.triggerButton(name, context))
            return;
        const char* window = dataDef == tabButtonSpecs().end() ? nullptr : dataDef->window;
        if (window && registry_.hasWindow(window)) {
            // A window left open from a project closed since then would be brought to the front
            // showing that other project: it is closed (asking to save, as it does) and opened
            // anew on this one. If it stays (the user cancelled), it comes to the front as it is.
            const QString usedFolder = registry_.folderOf(window);
            if (!usedFolder.isEmpty() && !store::samePath(usedFolder, context.projectFolder))
                registry_.closeWindow(window);
            QWidget* opened = registry_.openWindow(window, context);
            if (opened && name == "cmdCorregir") {
                if (auto* materials = opened->findChild<ui::Grid*>("msfgMateriales")) {
                    materials->setVisible(true);
                    materials->setCell(1, 0);
                    materials->setFocus();
                }
            }
            return;
        }
        showStatus(kNotYetAvailable);
    } catch (const std::exception& error) {
        // A window that cannot start (its database will not open) must not take the program down.
        ui::messages::failure(this, QString::fromUtf8(error.what()));
    }
}

void frmPrincipal::showStatus(const QString& text) {
    lblEstado_->setText(text);
}

void frmPrincipal::showFormatButtons(const QStringList& names) {
    for (const QString& format : formatButtonNames())
        buttons_.value(format)->setVisible(names.contains(format));
}

void frmPrincipal::setFormatButtonsVisible(const QStringList& names, bool visible) {
    const QStringList formats = formatButtonNames();
    for (const QString& name : names)
        if (formats.contains(name))
            buttons_.value(name)->setVisible(visible);
}

bool frmPrincipal::isFormatButtonVisible(const QString& name) const {
    const QPushButton* button = buttons_.value(name);
    return button && formatButtonNames().contains(name) && !button->isHidden();
}

void frmPrincipal::showFolderPath(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    lblCarpeta_->setText(
        lblCarpeta_->fontMetrics().elidedText(native, Qt::ElideMiddle, lblCarpeta_->width()));
    lblCarpeta_->setToolTip(native);
}

void frmPrincipal::updateProjectLabel() {
    if (modoAbrir_)
        lblProyecto_->setText("Ningún proyecto abierto");
    else
        lblProyecto_->setText(QString("Proyecto abierto: <b>%1</b>").arg(openProjectName().toHtmlEscaped()));
}

bool frmPrincipal::moveFocusInColumn(QPushButton* from, int direction) {
    QPushButton* best = nullptr;
    for (QPushButton* button : std::as_const(buttons_)) {
        if (button == from || button->isHidden() || !button->isEnabled() || button->x() != from->x())
            continue;
        const int gap = (button->y() - from->y()) * direction;
        if (gap > 0 && (!best || gap < (best->y() - from->y()) * direction))
            best = button;
    }
    if (best)
        best->setFocus(Qt::TabFocusReason);
    else if (direction < 0)
        tabOpciones_->setFocus(
            Qt::TabFocusReason); // Up from the top row: back to the tabs, as Down left them
    return true;
}

bool frmPrincipal::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dir1_ && event->type() == QEvent::KeyPress)
        return handleFolderListKey(static_cast<QKeyEvent*>(event));
    // Only a key pressed on Buscar sends the focus back on its release: not the release of the
    // key that brought the focus to it (Down or Tab from the button before).
    if (watched == buttons_.value("cmdBuscar") &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::FocusIn))
        keyPressedOnBuscar_ = event->type() == QEvent::KeyPress;
    if (event->type() == QEvent::KeyPress) {
        // Up and Down walk a column of tab buttons (Left and Right already go to the previous
        // and next button).
        auto* button = qobject_cast<QPushButton*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (button && buttons_.value(button->objectName()) == button && key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down))
            return moveFocusInColumn(button, key->key() == Qt::Key_Down ? 1 : -1);
    }
    if (watched == tabOpciones_) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape) {
                leaveApplication();
                return true;
            }
            if (key == Qt::Key_F1) {
                showHelp();
                return true;
            }
        } else if (event->type() == QEvent::KeyRelease) {
            return handleTabStripKeyRelease(static_cast<QKeyEvent*>(event));
        } else if (event->type() == QEvent::MouseButtonRelease && tabOpciones_->isEnabled()) {
            layOutTab(tabOpciones_->currentIndex() + 1);
        }
        return false;
    }
    if (watched == buttons_.value("cmdBuscar") && event->type() == QEvent::KeyRelease &&
        keyPressedOnBuscar_) {
        keyPressedOnBuscar_ = false;
        // After the button has handled the release (Space presses it on release): moving the
        // focus first would cancel that press. A key that opened the search window has taken the
        // focus there, and it stays there.
        QTimer::singleShot(0, this, [this] {
            QPushButton* buscar = buttons_.value("cmdBuscar");
            if (buscar->hasFocus())
                buttons_.value("cmdDatosPres")->setFocus();
        });
    }
    return false;
}

bool frmPrincipal::handleFolderListKey(QKeyEvent* event) {
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        dir1_->setPath(dir1_->highlightedPath());
        openSelectedFolder();
        return true;
    case Qt::Key_F3:
        openSelectedFolder();
        return true;
    case Qt::Key_F5:
        createProject();
        return true;
    case Qt::Key_D:
        if (!plain)
            return false;
        drive1_->setFocus();
        return true;
    case Qt::Key_Escape:
        leaveApplication();
        return true;
    case Qt::Key_F1:
        showHelp();
        return true;
    default:
        return false;
    }
}

bool frmPrincipal::handleTabStripKeyRelease(QKeyEvent* event) {
    if (event->isAutoRepeat() || modoAbrir_)
        return false;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        layOutTab(tabOpciones_->currentIndex() + 1);
        return true;
    case Qt::Key_Down:
        focusFirstButtonOfTab();
        return true;
    default:
        return false;
    }
}

void frmPrincipal::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        showHelp();
        return;
    }
    // The captions "Abrir / Cerrar Proyecto (F3)", "Crear Proyecto (F5)" and "Salir (Esc)" promise
    // their keys wherever the focus is in this window (a button, the drive list).
    if (event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_F3:
            modoAbrir_ ? openSelectedFolder() : closeProject();
            return;
        case Qt::Key_F5:
            createProject();
            return;
        case Qt::Key_Escape:
            leaveApplication();
            return;
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void frmPrincipal::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (tabOpciones_->isEnabled())
        tabOpciones_->setFocus();
}

} // namespace korvex::shell

namespace korvex::shell {

void frmPrincipal::closeEvent(QCloseEvent* event) {
    // Inside the frame the main window lives as long as the program: closing it means leaving.
    if (parentWidget()) {
        event->ignore();
        emit leaveRequested();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace korvex::shell
