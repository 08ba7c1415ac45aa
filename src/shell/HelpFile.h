#pragma once
// The help file KORVEX.hlp of the root folder: a UTF-8 text file of topics,
//     <topic id="crear-proyecto" title="Crear un proyecto" keywords="nuevo, carpeta">
//     ...HTML body, links to other topics as <a href="#id">...</a>...
//     </topic>
// The first topic is the contents page. Anything outside the topics is a comment.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvex::shell {

struct HelpTopic {
    QString id;
    QString title;
    QString keywords;
    QString html;
};

class HelpFile {
public:
    static constexpr const char* kFileName = "KORVEX.hlp";

    // nullopt with a Spanish reason when the file is missing, unreadable or has no topic.
    static std::optional<HelpFile> load(const QString& path, QString* reason = nullptr);
    static std::optional<HelpFile> parse(const QString& text);

    const QList<HelpTopic>& topics() const { return topics_; }
    const HelpTopic& contents() const { return topics_.first(); }
    const HelpTopic* find(const QString& id) const;
    // Topics holding every word of the query (letter case and accents ignored), those with a
    // word in their title or keywords first; every topic for an empty query.
    QList<const HelpTopic*> search(const QString& query) const;

private:
    QList<HelpTopic> topics_;
};

} // namespace korvex::shell
