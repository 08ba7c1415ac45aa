#pragma once
// What this program writes into its own FIEBDC-3 files beyond the standard records, so that
// reading one back restores the project exactly (docs/bc3.md describes the form):
// - ~V's program field is kBc3Program and its comment field holds the project's tools switch and
//   both indirect-cost percentages: "KORVEX HERRAMIENTA=1 CI=20 OI=5".
// - The tools allowance and the indirect costs are the percentage concepts kBc3Herramienta and
//   kBc3Indirectos, which such a file drops on reading instead of turning them into lines.
// - Resource codes start with a prefix per kind; transport lines are their own concepts.
// - A labour resource's category is its long text, "Categoria: E2".
// - Items without a group hang from the chapter kBc3SinGrupo; ~M's label keeps ItemPres.

#include <QString>
#include <optional>

namespace korvex::exchange {

inline constexpr const char* kBc3Program = "Korvex";
inline constexpr const char* kBc3Herramienta = "%HM";
inline constexpr const char* kBc3Indirectos = "%CI";
inline constexpr const char* kBc3SinGrupo = "SIN_GRUPO#";
inline constexpr const char* kBc3PrefijoManoObra = "MO_";
inline constexpr const char* kBc3PrefijoEquipo = "EQ_";
inline constexpr const char* kBc3PrefijoMaterial = "MT_";
inline constexpr const char* kBc3PrefijoTransporte = "TR_";
inline constexpr const char* kBc3PrefijoTextoTransporte = "Transporte: ";
// A labour resource's category, as the long text of its concept.
inline constexpr const char* kBc3PrefijoCategoria = "Categoria: ";

struct Bc3OwnHeader {
    bool herramienta = false;
    double costosIndirectos = 0;
    double otrosIndirectos = 0;
};

QString ownComment(const Bc3OwnHeader& header);
// The header of a file this program wrote, or nullopt for any other file.
std::optional<Bc3OwnHeader> parseOwnComment(const QString& program, const QString& comment);

} // namespace korvex::exchange
