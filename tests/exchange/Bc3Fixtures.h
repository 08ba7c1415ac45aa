#pragma once
// Small FIEBDC-3 texts for the exchange tests, and the bytes of a text in a given code page.

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <iconv.h>

namespace korvex::testing {

// The text in the code page ("CP850", "CP437", "WINDOWS-1252", "UTF-8"), through iconv.
inline QByteArray encoded(const QString& text, const char* codePage) {
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open(codePage, "UTF-8");
    QByteArray out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = static_cast<size_t>(utf8.size());
    char* dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    out.resize(dst - out.data());
    return out;
}

// The small example of the format: one chapter, one concrete item with cement, a labourer and
// 20 % of indirect costs, measured 12.5 m3.
inline QString exampleBc3(const QString& charset = QStringLiteral("ANSI")) {
    return QStringLiteral("~V|EJEMPLO|FIEBDC-3/2020|OtroPrograma|Obra|%1|\r\n"
                          "~C|OBRA##||Casa comunal|0||0|\r\n"
                          "~C|01#||Hormigones|0||0|\r\n"
                          "~D|OBRA##|01#\\1\\1\\|\r\n"
                          "~C|H210|m3|Hormigón f'c = 210 kg/cm2|102.38||0|\r\n"
                          "~D|01#|H210\\1\\12.5\\|\r\n"
                          "~C|CEM|saco|Cemento Portland tipo I|7.85||3|\r\n"
                          "~C|PEON|h|Peón|3.60||1|\r\n"
                          "~C|%CI|%|Costos indirectos|20||0|\r\n"
                          "~D|H210|CEM\\1\\7.2\\PEON\\1\\8\\%CI\\1\\0.2\\|\r\n"
                          "~M|01#\\H210|1\\1\\|12.5|\\\\12.5\\\\\\\\|\r\n")
        .arg(charset);
}

} // namespace korvex::testing
