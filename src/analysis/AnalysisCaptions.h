#pragma once
// Captions and messages of the analysis editor, shared by the window and the batch output.

namespace korvex::analysis {

inline constexpr const char* kCaptionProyecto = "Proyecto  :";
inline constexpr const char* kCaptionRubro = "Rubro      :";
inline constexpr const char* kCaptionCodigo = "Codigo     :";
inline constexpr const char* kCaptionUnidad = "Unidad     :";
inline constexpr const char* kCaptionHerramientas = "E. Herramientas Manuales (5% Mano de Obra)";
inline constexpr const char* kCaptionDirectos = "COSTOS DIRECTOS  (A+B+C+D+E)";
inline constexpr const char* kCaptionIndirectos = "COSTOS INDIRECTOS";
inline constexpr const char* kCaptionOtrosIndirectos = "OTROS INDIRECTOS";
inline constexpr const char* kCaptionPrecioUnitario = "PRECIO UNITARIO";

inline constexpr const char* kButtonInsertar = "Insertar Linea (F2)";
inline constexpr const char* kButtonSuprimir = "Suprimir (F10)";
inline constexpr const char* kButtonGrabar = "Grabar (F9)";
inline constexpr const char* kButtonCalcular = "Calcular (F5)";
inline constexpr const char* kButtonCambiar = "Cambiar (F1)";
inline constexpr const char* kButtonSalir = "Abandonar (Esc)";

} // namespace korvex::analysis
