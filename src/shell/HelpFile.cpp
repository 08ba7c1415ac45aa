#include "shell/HelpFile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <algorithm>

namespace korvex::shell {

namespace {

QString folded(const QString& text) {
    QString plain = text.normalized(QString::NormalizationForm_D);
    plain.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return plain.toCaseFolded();
}

QString attribute(const QString& attributes, const QString& name) {
    const QRegularExpression pattern(name + R"re(\s*=\s*"([^"]*)")re");
    return pattern.match(attributes).captured(1).trimmed();
}

} // namespace

std::optional<HelpFile> HelpFile::parse(const QString& text) {
    static const QRegularExpression topicPattern(R"(<topic\b([^>]*)>(.*?)</topic>)",
                                                 QRegularExpression::DotMatchesEverythingOption |
                                                     QRegularExpression::CaseInsensitiveOption);
    HelpFile file;
    for (auto it = topicPattern.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        HelpTopic topic;
        topic.id = attribute(match.captured(1), "id");
        topic.title = attribute(match.captured(1), "title");
        topic.keywords = attribute(match.captured(1), "keywords");
        topic.html = match.captured(2).trimmed();
        if (topic.id.isEmpty() || topic.title.isEmpty())
            continue;
        file.topics_.append(topic);
    }
    if (file.topics_.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<HelpFile> HelpFile::load(const QString& path, QString* reason) {
    QFile input(path);
    if (!QFileInfo(path).isFile() || !input.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = QString("No se encuentra el archivo de ayuda %1 en la carpeta %2.")
                          .arg(kFileName, QFileInfo(path).absolutePath());
        return std::nullopt;
    }
    auto file = parse(QString::fromUtf8(input.readAll()));
    if (!file && reason)
        *reason = QString("El archivo de ayuda %1 no contiene ningún tema.").arg(path);
    return file;
}

const HelpTopic* HelpFile::find(const QString& id) const {
    for (const HelpTopic& topic : topics_)
        if (topic.id == id)
            return &topic;
    return nullptr;
}

QList<const HelpTopic*> HelpFile::search(const QString& query) const {
    const QStringList words = folded(query).split(QRegularExpression(R"(\W+)"), Qt::SkipEmptyParts);
    QList<std::pair<int, const HelpTopic*>> ranked;
    for (const HelpTopic& topic : topics_) {
        const QString heading = folded(topic.title + " " + topic.keywords);
        const QString body = folded(QTextDocumentFragment::fromHtml(topic.html).toPlainText());
        int inHeading = 0;
        bool all = true;
        for (const QString& word : words) {
            if (heading.contains(word))
                ++inHeading;
            else if (!body.contains(word))
                all = false;
        }
        if (all)
            ranked.append({inHeading, &topic});
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<const HelpTopic*> found;
    for (const auto& entry : ranked)
        found.append(entry.second);
    return found;
}

} // namespace korvex::shell
