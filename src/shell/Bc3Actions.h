#pragma once
// The frame's "Importar BC3..." and "Exportar BC3..." actions: choosing the file and asking before
// replacing items here, the data operation in exchange/.

#include "ui/WindowRegistry.h"

#include <QString>
#include <functional>

class QWidget;

namespace korvex::shell {

inline constexpr const char* kSinProyectoAbierto = "Debe abrir primero un Proyecto";
inline constexpr const char* kVentanasAbiertas = "Cierre las ventanas abiertas sobre el proyecto antes de "
                                                 "importar: al grabar reescribirían los rubros importados";

// Chooses the file to read (save false) or to write (save true); "" when the user cancels.
using Bc3FileChooser = std::function<QString(QWidget* parent, bool save, const QString& suggested)>;
// Tests replace the file dialog; nullptr restores it.
void setBc3FileChooser(Bc3FileChooser chooser);

void importarBC3(ui::WindowRegistry& registry, const ui::WindowContext& context);
void exportarBC3(const ui::WindowContext& context);

} // namespace korvex::shell
