#include "engine/Numbers.h"

#include <QLocale>
#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace korvex::engine;

TEST(ConvertirNumero, RightmostSeparatorIsTheDecimalPoint) {
    EXPECT_EQ(ConvertirNumero("1.234,56"), 1234.56);
    EXPECT_EQ(ConvertirNumero("1,234.56"), 1234.56);
    EXPECT_EQ(ConvertirNumero("12,5"), 12.5);
    EXPECT_EQ(ConvertirNumero("1,5"), 1.5);
    EXPECT_EQ(ConvertirNumero("1.234"), 1.234);
    EXPECT_EQ(ConvertirNumero("1,234"), 1.234);
    EXPECT_EQ(ConvertirNumero("1.234.567"), 1234.567);
    EXPECT_EQ(ConvertirNumero("1,234,567.8"), 1234567.8);
    EXPECT_EQ(ConvertirNumero("0"), 0.0);
    EXPECT_EQ(ConvertirNumero("-3,5"), -3.5);
    EXPECT_EQ(ConvertirNumero("  +7 "), 7.0);
    EXPECT_EQ(ConvertirNumero(",5"), 0.5);
    EXPECT_EQ(ConvertirNumero("5,"), 5.0);
}

TEST(ConvertirNumero, RefusesWhatIsNotANumber) {
    for (const char* text :
         {"", "   ", "abc", "12a", "1e5", "1 234", "--1", "-", ".", "+-3", "1,2x", "inf", "nan", "0x10", "½"})
        EXPECT_FALSE(ConvertirNumero(QString::fromUtf8(text)).has_value()) << text;
    EXPECT_FALSE(ConvertirNumero(QString(400, '9')).has_value()) << "overflows a double";
    EXPECT_EQ(ConvertirNumero("0." + QString(400, '0') + "1"), 0.0) << "underflow is zero";
    EXPECT_EQ(ConvertirNumeroOCero("abc"), 0.0);
    EXPECT_EQ(ConvertirNumeroOCero("2,5"), 2.5);
}

TEST(Redondear, HalfUpFromTheThreshold) {
    EXPECT_EQ(Redondear(2.345, 2), 2.35);
    EXPECT_EQ(Redondear(1.005, 2), 1.01);
    EXPECT_EQ(Redondear(2.675, 2), 2.68);
    EXPECT_EQ(Redondear(0.125, 2), 0.13);
    EXPECT_EQ(Redondear(1.2349999, 2), 1.24);
    EXPECT_EQ(Redondear(1.234999, 2), 1.23);
    EXPECT_EQ(Redondear(1.0005, 3), 1.001);
    EXPECT_EQ(Redondear(1.5015, 3), 1.502);
    EXPECT_EQ(Redondear(0, 2), 0.0);
    EXPECT_EQ(Redondear(2.5 * 13.47, 2), 33.68);
    EXPECT_EQ(Redondear(36.24 + 7.248 + 1.812, 2), 45.30);
}

TEST(Redondear, NegativesGoTowardsPlusInfinityAtTheHalf) {
    EXPECT_EQ(Redondear(-1.235, 2), -1.23);
    EXPECT_EQ(Redondear(-1.236, 2), -1.24);
    EXPECT_EQ(Redondear(2.5, 0), 3.0);
    EXPECT_EQ(Redondear(-2.5, 0), -2.0);
    const double tiny = Redondear(-0.001, 2);
    EXPECT_EQ(tiny, 0.0) << "no residue such as -8.7e-18";
}

TEST(Redondear, ExactBeyondThirtyTwoBits) {
    EXPECT_EQ(Redondear(3000000000.125, 2), 3000000000.13);
    EXPECT_EQ(Redondear(-3000000000.125, 2), -3000000000.12);
    EXPECT_EQ(Redondear(1e15 + 0.5, 0), 1e15 + 1);
    EXPECT_EQ(Redondear(1e300, 2), 1e300);
    EXPECT_EQ(Redondear(-1e300, 2), -1e300);
    EXPECT_TRUE(std::isnan(Redondear(std::numeric_limits<double>::quiet_NaN(), 2)));
    EXPECT_EQ(Redondear(std::numeric_limits<double>::infinity(), 2), std::numeric_limits<double>::infinity());
}

TEST(RedondearPar, ExactHalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RedondearPar(2.44 * 0.05, 2), 0.12);
    EXPECT_EQ(RedondearPar(0.125, 2), 0.12);
    EXPECT_EQ(RedondearPar(0.375, 2), 0.38);
    EXPECT_EQ(RedondearPar(8 * 2.5 * 0.125, 2), 2.5);
    EXPECT_EQ(RedondearPar(0.5, 0), 0.0);
    EXPECT_EQ(RedondearPar(1.5, 0), 2.0);
    EXPECT_EQ(RedondearPar(2.5, 0), 2.0);
    EXPECT_EQ(RedondearPar(-2.5, 0), -2.0);
    EXPECT_EQ(RedondearPar(-0.376, 2), -0.38);
}

TEST(CambiarComas, OnlyCommasChange) {
    EXPECT_EQ(CambiarComas("1234,5"), "1234.5");
    EXPECT_EQ(CambiarComas("1.234,5"), "1.234.5");
    EXPECT_EQ(CambiarComas(""), "");
}

TEST(Formats, EveryDisplayPattern) {
    EXPECT_EQ(formatNumber(1234.5, kFormatoMoneda), "1,234.50");
    EXPECT_EQ(formatNumber(1234.5, kFormatoTresDecimales), "1,234.500");
    EXPECT_EQ(formatNumber(1234.5, kFormatoPrecio), "1,234.50");
    EXPECT_EQ(formatNumber(1234.567, kFormatoPrecio), "1,234.567");
    EXPECT_EQ(formatNumber(1234.5678, kFormatoPrecio), "1,234.568");
    EXPECT_EQ(formatNumber(1234.5, kFormatoGrupo), "1,234.50");
    EXPECT_EQ(formatNumber(5, kFormatoGrupo), "05.00");
    EXPECT_EQ(formatNumber(1234.5, kFormatoSimple), "1234.50");
    EXPECT_EQ(formatNumber(1234.5, kFormatoCoeficiente), "1234.500");
    EXPECT_EQ(formatNumber(1234.5, kFormatoRendimiento), "1234.500");
    EXPECT_EQ(formatNumber(1234.5, kFormatoSinGrupos), "1234.50");
    EXPECT_EQ(formatNumber(1234.5, kFormatoSinGruposLargo), "1234.50");
    EXPECT_EQ(formatNumber(0.5, kFormatoSinGrupos), ".50") << "no mandatory integer digit";
    EXPECT_EQ(formatNumber(0.5, kFormatoMoneda), "0.50");
    EXPECT_EQ(formatNumber(1234567.891, kFormatoMoneda), "1,234,567.89");
    EXPECT_EQ(formatNumber(123456, kFormatoMoneda), "123,456.00");
    EXPECT_EQ(formatNumber(1e15, kFormatoMoneda), "1,000,000,000,000,000.00");
    EXPECT_EQ(formatNumber(1234.5, "0"), "1235");
    EXPECT_EQ(formatNumber(1234.5, "#,##0"), "1,235");
}

TEST(Formats, RoundingSignsAndOddValues) {
    EXPECT_EQ(FormatoMoneda(2.675), "2.68");
    EXPECT_EQ(FormatoMoneda(1.005), "1.01");
    EXPECT_EQ(FormatoMoneda(999.995), "1,000.00");
    EXPECT_EQ(FormatoMoneda(-1234.5), "-1,234.50");
    EXPECT_EQ(FormatoMoneda(-0.001), "0.00");
    EXPECT_EQ(FormatoMoneda(-0.0), "0.00");
    EXPECT_EQ(FormatoMoneda(0.1 + 0.2), "0.30");
    EXPECT_EQ(FormatoTresDecimales(1e-7), "0.000");
    EXPECT_EQ(FormatoMoneda(std::numeric_limits<double>::quiet_NaN()), "0.00");
    EXPECT_EQ(formatNumber(12.5, "bad pattern"), "12.50");
}

TEST(Formats, ShownMoneyReadsBackRounded) {
    for (int i = -3000; i < 3000; ++i) {
        const double value = i * 3.7 + 0.0012; // never near a half cent
        EXPECT_EQ(ConvertirNumero(FormatoMoneda(value)), Redondear(value, 2)) << value;
    }
}

TEST(Formats, IndependentOfTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(FormatoMoneda(1234.5), "1,234.50");
    EXPECT_EQ(ConvertirNumero("1.234,56"), 1234.56);
    EXPECT_EQ(ConvertirNumero("1234.5"), 1234.5);
    std::setlocale(LC_ALL, "C");
    QLocale::setDefault(saved);
}
