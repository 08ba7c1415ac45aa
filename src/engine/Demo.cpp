// Sample projects: the small budget of a community hall, and large synthetic budgets for timing.

#include "engine/Demo.h"

#include "store/Database.h"
#include "store/ProjectFolders.h"

#include <QStringList>
#include <cstdint>
#include <exception>
#include <vector>

namespace korvex::engine {

namespace {

// A resource with its price, and a line that uses it.
struct Material {
    const char* descripcion;
    const char* unidad;
    double precio;
    double transporte; // transport price per unit
};
struct Equipo {
    const char* descripcion;
    double costo;
};
struct Trabajador {
    const char* descripcion;
    const char* categoria;
    double salario;
};

const Material kCemento{"Cemento Portland tipo I (saco 50 kg)", "saco", 7.85, 0.20};
const Material kArena{"Arena fina", "m3", 14.00, 1.50};
const Material kRipio{"Ripio triturado", "m3", 16.50, 1.50};
const Material kAgua{"Agua", "m3", 1.20, 0.00};
const Material kLastre{"Material de mejoramiento (lastre)", "m3", 9.50, 1.20};
const Material kTabla{"Tabla de encofrado 0.20 x 2.40 m", "u", 2.80, 0.05};
const Material kPingo{"Pingos de eucalipto", "u", 1.80, 0.05};
const Material kClavos{"Clavos de 2\" a 3\"", "kg", 2.40, 0.00};
const Material kEstacas{"Estacas de madera", "u", 0.25, 0.00};
const Material kTiras{"Tiras de madera 2 x 2 cm", "m", 0.35, 0.00};
const Material kVarilla{"Varilla corrugada fy = 4200 kg/cm2", "kg", 1.05, 0.02};
const Material kAlambre{"Alambre galvanizado No. 18", "kg", 2.60, 0.00};
const Material kBloque{"Bloque de hormigón 15 x 20 x 40 cm", "u", 0.42, 0.03};
const Material kImper{"Impermeabilizante para mortero", "kg", 3.10, 0.00};
const Material kTubo{"Tubería PVC roscable 1/2\"", "m", 1.45, 0.00};
const Material kCodo{"Codo PVC roscable 1/2\" x 90°", "u", 0.55, 0.00};
const Material kTeflon{"Cinta teflón 1/2\"", "u", 0.35, 0.00};
const Material kPintura{"Pintura de caucho látex", "gal", 16.50, 0.00};
const Material kLija{"Lija para pared No. 80", "u", 0.45, 0.00};

const Equipo kTopografia{"Equipo de topografía (estación total)", 6.25};
const Equipo kConcretera{"Concretera de 1 saco", 5.00};
const Equipo kVibrador{"Vibrador de hormigón", 3.50};
const Equipo kCompactador{"Compactador mecánico (plancha)", 4.50};
const Equipo kCortadora{"Cortadora dobladora de hierro", 1.80};
const Equipo kAndamio{"Andamio metálico (cuerpo)", 0.60};
const Equipo kVolqueta{"Volqueta 8 m3", 25.00};

const Trabajador kPeon{"Peón", "E2", 3.60};
const Trabajador kAlbanil{"Albañil", "D2", 3.65};
const Trabajador kMaestro{"Maestro de obra", "C1", 4.04};
const Trabajador kFierrero{"Fierrero", "D2", 3.65};
const Trabajador kCarpintero{"Carpintero", "D2", 3.65};
const Trabajador kTopografo{"Topógrafo", "C1", 4.04};
const Trabajador kCadenero{"Cadenero", "D2", 3.65};
const Trabajador kOperador{"Operador de equipo liviano", "D2", 3.65};
const Trabajador kChofer{"Chofer profesional (volqueta)", "C1", 5.29};
const Trabajador kPlomero{"Plomero", "D2", 3.65};
const Trabajador kPintor{"Pintor", "D2", 3.65};

struct MaterialLine {
    const Material* material;
    double cantidad;
};
struct EquipoLine {
    const Equipo* equipo;
    double horas;
    double rendimiento;
};
struct ManoObraLine {
    const Trabajador* trabajador;
    double horas; // number of workers
    double rendimiento;
};

struct SampleItem {
    const char* codigo;
    const char* item;
    const char* descripcion;
    const char* unidad;
    double cantidad;
    const char* grupo;
    std::vector<MaterialLine> materiales;
    std::vector<EquipoLine> equipo;
    std::vector<ManoObraLine> manoObra;
};

struct Group {
    const char* nombre;
    const char* descripcion;
};

const std::vector<Group> kGroups = {
    {"PRELIMINARES", "Obras preliminares"},
    {"MOVIMIENTO DE TIERRAS", "Movimiento de tierras"},
    {"ESTRUCTURA", "Estructura de hormigón armado"},
    {"MAMPOSTERIA", "Mampostería, enlucidos y masillados"},
    {"INSTALACIONES", "Instalaciones hidrosanitarias"},
    {"ACABADOS", "Acabados"},
};

// Concrete of 210 kg/cm2 per cubic metre, and the mortars.
std::vector<MaterialLine> concrete210(double factor) {
    return {{&kCemento, 7.21 * factor},
            {&kArena, 0.65 * factor},
            {&kRipio, 0.95 * factor},
            {&kAgua, 0.24 * factor}};
}

std::vector<MaterialLine> withFormwork(std::vector<MaterialLine> lines, double tablas, double pingos,
                                       double clavos) {
    lines.push_back({&kTabla, tablas});
    lines.push_back({&kPingo, pingos});
    lines.push_back({&kClavos, clavos});
    return lines;
}

std::vector<SampleItem> sampleItems() {
    return {
        {"501001",
         "1.01",
         "Limpieza y desbroce del terreno",
         "m2",
         450.00,
         "PRELIMINARES",
         {},
         {},
         {{&kPeon, 1, 0.16}, {&kMaestro, 0.1, 0.16}}},
        {"501002",
         "1.02",
         "Replanteo y nivelación con equipo topográfico",
         "m2",
         320.00,
         "PRELIMINARES",
         {{&kTiras, 0.12}, {&kEstacas, 0.10}, {&kClavos, 0.01}},
         {{&kTopografia, 1, 0.04}},
         {{&kTopografo, 1, 0.04}, {&kCadenero, 2, 0.04}}},
        {"502001",
         "2.01",
         "Excavación a mano en suelo sin clasificar, h = 0 a 2 m",
         "m3",
         96.50,
         "MOVIMIENTO DE TIERRAS",
         {},
         {},
         {{&kPeon, 2, 1.60}, {&kMaestro, 0.2, 1.60}}},
        {"502002",
         "2.02",
         "Relleno compactado con material de mejoramiento",
         "m3",
         48.20,
         "MOVIMIENTO DE TIERRAS",
         {{&kLastre, 1.25}, {&kAgua, 0.05}},
         {{&kCompactador, 1, 0.50}},
         {{&kPeon, 2, 0.50}, {&kOperador, 1, 0.50}, {&kMaestro, 0.1, 0.50}}},
        {"503001",
         "3.01",
         "Replantillo de hormigón simple f'c = 140 kg/cm2, e = 5 cm",
         "m2",
         62.00,
         "ESTRUCTURA",
         {{&kCemento, 0.30}, {&kArena, 0.03}, {&kRipio, 0.045}, {&kAgua, 0.01}},
         {{&kConcretera, 1, 0.10}},
         {{&kPeon, 3, 0.10}, {&kAlbanil, 1, 0.10}, {&kMaestro, 0.1, 0.10}}},
        {"503002",
         "3.02",
         "Hormigón simple en plintos f'c = 210 kg/cm2",
         "m3",
         18.40,
         "ESTRUCTURA",
         concrete210(1.0),
         {{&kConcretera, 1, 1.00}, {&kVibrador, 1, 1.00}},
         {{&kPeon, 6, 1.00}, {&kAlbanil, 2, 1.00}, {&kOperador, 1, 1.00}, {&kMaestro, 0.2, 1.00}}},
        {"503003",
         "3.03",
         "Hormigón simple en columnas f'c = 210 kg/cm2, incluye encofrado",
         "m3",
         9.60,
         "ESTRUCTURA",
         withFormwork(concrete210(1.0), 4.50, 2.00, 0.50),
         {{&kConcretera, 1, 1.60}, {&kVibrador, 1, 1.60}},
         {{&kPeon, 6, 1.60}, {&kAlbanil, 2, 1.60}, {&kCarpintero, 2, 1.60}, {&kMaestro, 0.2, 1.60}}},
        {"503004",
         "3.04",
         "Hormigón en losa f'c = 210 kg/cm2, e = 20 cm, incluye encofrado",
         "m3",
         24.80,
         "ESTRUCTURA",
         withFormwork(concrete210(1.0), 6.00, 4.00, 0.80),
         {{&kConcretera, 1, 1.20}, {&kVibrador, 1, 1.20}},
         {{&kPeon, 8, 1.20}, {&kAlbanil, 3, 1.20}, {&kCarpintero, 2, 1.20}, {&kMaestro, 0.3, 1.20}}},
        {"503005",
         "3.05",
         "Acero de refuerzo fy = 4200 kg/cm2, corte, figurado y colocación",
         "kg",
         3850.00,
         "ESTRUCTURA",
         {{&kVarilla, 1.05}, {&kAlambre, 0.05}},
         {{&kCortadora, 1, 0.03}},
         {{&kFierrero, 1, 0.03}, {&kPeon, 1, 0.03}, {&kMaestro, 0.1, 0.03}}},
        {"504001",
         "4.01",
         "Mampostería de bloque de 15 cm, mortero 1:6",
         "m2",
         285.00,
         "MAMPOSTERIA",
         {{&kBloque, 12.50}, {&kCemento, 0.20}, {&kArena, 0.03}, {&kAgua, 0.01}},
         {{&kAndamio, 2, 0.60}},
         {{&kAlbanil, 1, 0.60}, {&kPeon, 1, 0.60}, {&kMaestro, 0.1, 0.60}}},
        {"504002",
         "4.02",
         "Enlucido vertical paleteado fino, mortero 1:4",
         "m2",
         560.00,
         "MAMPOSTERIA",
         {{&kCemento, 0.25}, {&kArena, 0.03}, {&kAgua, 0.01}},
         {{&kAndamio, 2, 0.50}},
         {{&kAlbanil, 1, 0.50}, {&kPeon, 1, 0.50}, {&kMaestro, 0.1, 0.50}}},
        {"504003",
         "4.03",
         "Masillado de losa con impermeabilizante, e = 3 cm",
         "m2",
         180.00,
         "MAMPOSTERIA",
         {{&kCemento, 0.30}, {&kArena, 0.035}, {&kImper, 0.40}, {&kAgua, 0.01}},
         {},
         {{&kAlbanil, 1, 0.35}, {&kPeon, 1, 0.35}, {&kMaestro, 0.1, 0.35}}},
        {"505001",
         "5.01",
         "Punto de agua potable con tubería PVC roscable 1/2\"",
         "pto",
         12.00,
         "INSTALACIONES",
         {{&kTubo, 6.00}, {&kCodo, 3.00}, {&kTeflon, 0.50}},
         {},
         {{&kPlomero, 1, 1.20}, {&kPeon, 1, 1.20}}},
        {"505002",
         "5.02",
         "Desalojo de material de excavación con volqueta, distancia 5 km",
         "m3",
         60.00,
         "MOVIMIENTO DE TIERRAS",
         {},
         {{&kVolqueta, 1, 0.15}},
         {{&kChofer, 1, 0.15}, {&kPeon, 1, 0.15}}},
        {"506001",
         "6.01",
         "Pintura de caucho en paredes interiores, dos manos (opcional)",
         "m2",
         0.00,
         "ACABADOS",
         {{&kPintura, 0.05}, {&kLija, 0.10}},
         {{&kAndamio, 1, 0.20}},
         {{&kPintor, 1, 0.20}, {&kPeon, 1, 0.20}}},
    };
}

// Writes rows through the store with bound values, so quotes in descriptions are plain text.
class Writer {
public:
    explicit Writer(store::Database& db) : db_(db) {}

    void header() {
        insert("Proyecto",
               {"Institucion", "Proyecto", "ubicacion", "oferente", "CostosIndirectos", "OtrosIndirectos",
                "Elaborado", "fecha", "Ciudad", "IVA", "Herramienta"},
               {QStringLiteral("Gobierno Parroquial de San Isidro"),
                QStringLiteral("Construcción de la Casa Comunal del Barrio La Esperanza"),
                QStringLiteral("Barrio La Esperanza, calle Los Capulíes y av. Principal"),
                QStringLiteral("Ing. Carlos Andrade Mena"), 18.0, 2.0,
                QStringLiteral("Ing. María Fernanda Ortiz"), QStringLiteral("15/03/2024"),
                QStringLiteral("San Isidro"), true, true});
    }

    void group(const Group& g, int orden) {
        insert("Grupos", {"Grupo", "DescripcionGru", "TotalGrupo", "OrdenGru"},
               {QString::fromUtf8(g.nombre), QString::fromUtf8(g.descripcion), 0.0, orden});
    }

    void item(const QString& codigo, const QString& item, const QString& descripcion, const QString& unidad,
              double cantidad, const QVariant& grupo) {
        insert("Presupuesto",
               {"CodigoPres", "ItemPres", "DescripcionPres", "UnidadPres", "CantidadPres", "GruposPres",
                "TotalPres"},
               {codigo, item, descripcion, unidad, cantidad, grupo, 0.0});
    }

    // A material line and the transport line that mirrors it, as the analysis editor keeps them.
    void material(const QString& codigo, const QString& item, const Material& m, double cantidad,
                  double precio, double transporte) {
        const QString descripcion = QString::fromUtf8(m.descripcion);
        const QString unidad = QString::fromUtf8(m.unidad);
        insert("Materiales",
               {"CodigoPres", "ItemPres", "DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"},
               {codigo, item, descripcion, unidad, cantidad, precio});
        pendingTransport_.append({codigo, item, descripcion, unidad, cantidad, transporte});
    }

    void equipo(const QString& codigo, const QString& item, const QString& descripcion, double horas,
                double rendimiento, double costo) {
        insert("Maquinaria",
               {"CodigoPres", "ItemPres", "DescripcionMaq", "HorasMaq", "RendimientoMaq", "CostoMaq"},
               {codigo, item, descripcion, horas, rendimiento, costo});
    }

    void manoObra(const QString& codigo, const QString& item, const Trabajador& t, double horas,
                  double rendimiento, double salario) {
        insert("ManoObra",
               {"CodigoPres", "ItemPres", "DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan",
                "SalarioMan"},
               {codigo, item, QString::fromUtf8(t.descripcion), QString::fromUtf8(t.categoria), horas,
                rendimiento, salario});
    }

    // The transport lines of the item just written, after its other lines.
    void flushTransport() {
        for (const QVariantList& values : pendingTransport_)
            insert("Transporte",
                   {"CodigoPres", "ItemPres", "DescripcionTran", "UnidadTran", "CantidadTran", "PrecioTran"},
                   values);
        pendingTransport_.clear();
    }

    int lines() const { return lines_; }

private:
    void insert(const char* table, const QStringList& fields, const QVariantList& values) {
        QStringList marks;
        for (qsizetype i = 0; i < fields.size(); ++i)
            marks << QStringLiteral("?");
        db_.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(QString::fromLatin1(table), fields.join(", "), marks.join(", ")),
                    values);
        const QString name = QString::fromLatin1(table);
        if (name == "Materiales" || name == "Maquinaria" || name == "ManoObra" || name == "Transporte")
            ++lines_;
    }

    store::Database& db_;
    QList<QVariantList> pendingTransport_;
    int lines_ = 0;
};

// A small deterministic generator, so that every run makes the same synthetic project.
class Lcg {
public:
    explicit Lcg(std::uint64_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
    // A value between low and high with the given decimals.
    double between(double low, double high, int decimals) {
        const double scale = decimals == 2 ? 100.0 : 1000.0;
        const double steps = (high - low) * scale;
        return (low * scale + below(static_cast<int>(steps) + 1)) / scale;
    }

private:
    std::uint64_t state_;
};

const std::vector<const Material*> kMaterialPool = {&kCemento, &kArena, &kRipio,  &kAgua,    &kLastre,
                                                    &kTabla,   &kPingo, &kClavos, &kVarilla, &kAlambre,
                                                    &kBloque,  &kImper, &kTubo,   &kCodo,    &kPintura};
const std::vector<const Equipo*> kEquipoPool = {&kTopografia, &kConcretera, &kVibrador, &kCompactador,
                                                &kCortadora,  &kAndamio,    &kVolqueta};
const std::vector<const Trabajador*> kTrabajadorPool = {&kPeon,       &kAlbanil,  &kMaestro, &kFierrero,
                                                        &kCarpintero, &kOperador, &kPlomero, &kPintor};

// Synthetic resources: the sample's, and numbered variants of them, each with one price.
constexpr int kVariants = 12;

void writeSyntheticItem(Writer& writer, Lcg& random, int n) {
    const QString codigo = QStringLiteral("S%1").arg(n, 5, 10, QLatin1Char('0'));
    const QString item = QStringLiteral("%1.%2").arg(n / 100 + 1).arg(n % 100 + 1, 2, 10, QLatin1Char('0'));
    writer.item(codigo, item, QStringLiteral("Rubro sintético %1 de hormigón f'c = 210 kg/cm2").arg(n),
                QStringLiteral("m3"), random.between(1, 500, 2), QStringLiteral("ESTRUCTURA"));

    for (int i = 0; i < 6; ++i) {
        const Material& base =
            *kMaterialPool[static_cast<std::size_t>(random.below(static_cast<int>(kMaterialPool.size())))];
        const int variant = random.below(kVariants);
        Material m = base;
        const QByteArray descripcion =
            QByteArray(base.descripcion) + (variant ? " - tipo " + QByteArray::number(variant) : "");
        m.descripcion = descripcion.constData();
        writer.material(codigo, item, m, random.between(0.01, 12, 3), base.precio + variant * 0.15,
                        base.transporte + variant * 0.01);
    }
    for (int i = 0; i < 3; ++i) {
        const Equipo& e =
            *kEquipoPool[static_cast<std::size_t>(random.below(static_cast<int>(kEquipoPool.size())))];
        writer.equipo(codigo, item, QString::fromUtf8(e.descripcion), 1 + random.below(2),
                      random.between(0.01, 2, 3), e.costo);
    }
    for (int i = 0; i < 5; ++i) {
        const Trabajador& t = *kTrabajadorPool[static_cast<std::size_t>(
            random.below(static_cast<int>(kTrabajadorPool.size())))];
        writer.manoObra(codigo, item, t, random.between(0.1, 6, 2), random.between(0.01, 2, 3), t.salario);
    }
    writer.flushTransport();
}

void writeSampleItem(Writer& writer, const SampleItem& s) {
    const QString codigo = QString::fromUtf8(s.codigo);
    const QString item = QString::fromUtf8(s.item);
    writer.item(codigo, item, QString::fromUtf8(s.descripcion), QString::fromUtf8(s.unidad), s.cantidad,
                QString::fromUtf8(s.grupo));
    for (const MaterialLine& line : s.materiales)
        writer.material(codigo, item, *line.material, line.cantidad, line.material->precio,
                        line.material->transporte);
    for (const EquipoLine& line : s.equipo)
        writer.equipo(codigo, item, QString::fromUtf8(line.equipo->descripcion), line.horas, line.rendimiento,
                      line.equipo->costo);
    for (const ManoObraLine& line : s.manoObra)
        writer.manoObra(codigo, item, *line.trabajador, line.horas, line.rendimiento,
                        line.trabajador->salario);
    writer.flushTransport();
}

ResultadoDemo fill(const QString& projectFolder, int syntheticItems) {
    auto db = store::Database::openProject(projectFolder);
    ResultadoDemo result;
    result.folder = projectFolder;
    {
        store::Transaction transaction(db);
        Writer writer(db);
        writer.header();
        for (std::size_t i = 0; i < kGroups.size(); ++i)
            writer.group(kGroups[i], static_cast<int>(i) + 1);
        if (syntheticItems > 0) {
            Lcg random(20240315);
            for (int n = 0; n < syntheticItems; ++n)
                writeSyntheticItem(writer, random, n);
            result.items = syntheticItems;
        } else {
            const std::vector<SampleItem> items = sampleItems();
            for (const SampleItem& s : items)
                writeSampleItem(writer, s);
            result.items = static_cast<int>(items.size());
        }
        result.lineas = writer.lines();
        transaction.commit();
    }
    db.close();
    const ResultadoRecalculo recalc = RecalcularPresupuesto(projectFolder);
    if (!recalc.ok)
        throw store::StoreError(recalc.message);
    return result;
}

} // namespace

ResultadoDemo LlenarProyectoEjemplo(const QString& projectFolder) {
    return fill(projectFolder, 0);
}

ResultadoDemo LlenarProyectoSintetico(const QString& projectFolder, int items) {
    return fill(projectFolder, items);
}

ResultadoDemo CrearProyectoEjemplo(const QString& root, const QString& name, int syntheticItems) {
    const store::FolderResult created = store::createProject(root, name, root);
    if (!created.ok) {
        ResultadoDemo refused;
        refused.ok = false;
        refused.message = created.message;
        refused.title = created.title;
        return refused;
    }
    try {
        return fill(created.path, syntheticItems);
    } catch (const store::StoreError& error) {
        ResultadoDemo failed;
        failed.ok = false;
        failed.message = error.message();
        failed.title = QStringLiteral("Error");
        failed.folder = created.path;
        return failed;
    } catch (const std::exception& error) {
        ResultadoDemo failed;
        failed.ok = false;
        failed.message = QString::fromLocal8Bit(error.what());
        failed.title = QStringLiteral("Error");
        failed.folder = created.path;
        return failed;
    }
}

} // namespace korvex::engine
