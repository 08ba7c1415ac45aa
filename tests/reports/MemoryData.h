#pragma once
// Report data held in memory: each query text answers with the rows given for it, so the
// composer can be tried on exact, hand-made records.

#include "reports/DataSet.h"

#include <QHash>
#include <QString>
#include <QVariantList>
#include <initializer_list>

namespace korvex::testing {

reports::DataSet makeData(const QStringList& columns, const std::vector<QVariantList>& rows);

class MemoryData : public reports::DataProvider {
public:
    void add(const QString& sql, reports::DataSet data) {
        answers_.insert(sql.simplified(), std::move(data));
    }
    reports::DataSet query(const QString& sql) override;
    int queries() const { return queries_; }

private:
    QHash<QString, reports::DataSet> answers_;
    int queries_ = 0;
};

} // namespace korvex::testing
