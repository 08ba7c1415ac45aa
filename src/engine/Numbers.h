#pragma once
// Reading, rounding and showing numbers. Every amount, price, quantity, yield and percentage of the
// system passes through these routines, so that the editors, the cost engine and the reports read,
// round and show numbers the same way. None of them depends on the machine's regional settings,
// keeps state or touches a database.

#include <QString>
#include <optional>

namespace korvex::engine {

// Reads a number typed by the user or shown in a grid cell. The rightmost "," or "." is the
// decimal point, every other "," or "." is a thousands separator and is dropped:
// "1.234,56" and "1,234.56" give 1234.56, "1,5" gives 1.5, "1.234" gives 1.234.
// Blanks around the number and a leading sign are allowed. Returns nullopt for an empty text,
// a text that is not a decimal number (letters, exponents, inner blanks) and non-finite results.
std::optional<double> ConvertirNumero(const QString& text);

// ConvertirNumero, with 0 for a text that is not a number: what the editors put in a cell or
// field when the user typed something that is not a number.
double ConvertirNumeroOCero(const QString& text);

// The system's half-up rounding to `decimals` places: the remainder beyond the last decimal
// counts as a half from 0.49999 on, so 2.345 (held as 2.34499...) gives 2.35, 1.2349999 gives
// 1.24, 1.234999 gives 1.23. Halves go towards plus infinity: -1.235 gives -1.23, -2.5 to 0
// decimals gives -2. Exact for any magnitude; NaN and infinities are returned unchanged.
double Redondear(double value, int decimals);

// Round to nearest with an exact half going to the even neighbour, on value x 10^decimals as
// the double it is: 0.125 to 2 decimals gives 0.12, 0.135 gives 0.14. Used only for the hand-tools
// allowance and the labour sum of the analysis report table; everything else uses Redondear.
double RedondearPar(double value, int decimals);

// Every "," replaced by "."; all other characters and the length unchanged. For numbers handed
// to the report engine, which needs "." as the decimal point.
QString CambiarComas(const QString& text);

// Display patterns. "#" is an optional digit, "0" a mandatory digit, a "," in the integer part
// switches on thousands grouping with ",", "." is the decimal point; decimals after the point
// are "0" (always shown) or "#" (shown when not zero). The value is shown rounded half away from
// zero on its shortest decimal form (2.675 shows as 2.68), and a value that rounds to zero
// shows without a minus sign.
inline constexpr const char* kFormatoMoneda = "###,##0.00";         // 1,234.50
inline constexpr const char* kFormatoTresDecimales = "###,##0.000"; // 1,234.500
inline constexpr const char* kFormatoPrecio = "###,##0.00#";        // 1,234.50 / 1,234.567
inline constexpr const char* kFormatoGrupo = "###,#00.00";          // 1,234.50 / 05.00
inline constexpr const char* kFormatoSimple = "0.00";               // 1234.50
inline constexpr const char* kFormatoCoeficiente = "##0.000";       // 1234.500
inline constexpr const char* kFormatoRendimiento = "#0.000";        // 1234.500
inline constexpr const char* kFormatoSinGrupos = "########.00";     // 1234.50 / .50
inline constexpr const char* kFormatoSinGruposLargo = "#########.00";

// Shows value with any pattern of the form above (also "0", "#,##0", "0.0####"). A pattern
// outside that form is shown as with "0.00" rather than failing.
QString formatNumber(double value, const QString& pattern);

// The patterns under names, for the usual cells.
QString FormatoMoneda(double value);        // "###,##0.00"
QString FormatoTresDecimales(double value); // "###,##0.000"
QString FormatoPrecio(double value);        // "###,##0.00#"
QString FormatoGrupo(double value);         // "###,#00.00"
QString FormatoSimple(double value);        // "0.00"

// A count with its noun in agreement: Contar(1, "equipo", "equipos") is "1 equipo", any other
// number takes the plural ("0 equipos", "3 equipos").
QString Contar(qint64 n, const QString& singular, const QString& plural);

} // namespace korvex::engine
