#pragma once
// Writing a project as a FIEBDC-3/2020 file in Windows-1252 ("ANSI"): a root with the project
// name, a chapter per group in group order (items without a group under one more chapter), each
// item a concept priced with its unit price here and decomposed into its resources, and the tools
// allowance and indirect costs as percentage concepts so that any reader gets the same price.

#include "engine/Engine.h"

#include <QByteArray>
#include <QString>

namespace korvex::exchange {

struct ResultadoExportacionBC3 : engine::Resultado {
    int items = 0;
    int grupos = 0;   // chapters written, the one for items without a group included
    int recursos = 0; // basic concepts written
};

// The file's bytes. Throws store::StoreError.
QByteArray GenerarBC3(const QString& projectFolder, ResultadoExportacionBC3* counts = nullptr);

// Writes the file through a temporary file renamed into place when complete; a failure leaves any
// earlier file as it was and is reported in Spanish.
ResultadoExportacionBC3 ExportarBC3(const QString& projectFolder, const QString& path);

// Text as Windows-1252 bytes for a field: "|", "\" and "~" become "/", "/" and "-", line breaks
// and other control characters a blank, and what the code page lacks "?".
QByteArray bc3Field(const QString& text);

} // namespace korvex::exchange
