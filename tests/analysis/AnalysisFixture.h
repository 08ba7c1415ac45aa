#pragma once
// A project in a temporary root with helpers to write a header, items and resource lines the way
// the editors store them, and to read stored lines back for checks.

#include "TestProject.h"
#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace korvex::testing {

class AnalysisProject {
public:
    AnalysisProject();

    void setHeader(double indirectos, double otros, bool herramienta,
                   const QString& name = "Edificio Central");
    void addItem(const QString& code, const QString& item, const QString& description,
                 const QString& unit = "m3");
    void addMaterial(const QString& code, const QString& item, const QString& description,
                     const QString& unit, double quantity, double price);
    void addEquipment(const QString& code, const QString& item, const QString& description, double hours,
                      double yield, double rate);
    void addLabour(const QString& code, const QString& item, const QString& description,
                   const QString& category, double hours, double yield, double wage);
    void addTransport(const QString& code, const QString& item, const QString& description,
                      const QString& unit, double quantity, double price);

    // The stored lines of an item's table, each as the values of the given fields joined with "|", in
    // stored order; numbers shown with up to 12 significant digits.
    QStringList lines(const QString& table, const QString& code, const QString& item,
                      const QStringList& fields);
    // Every record of a table as lines() shows them, all items.
    QStringList all(const QString& table, const QStringList& fields);

    TempRoot root;
    QString folder;
    store::Database db;
};

} // namespace korvex::testing
