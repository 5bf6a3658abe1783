#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace mirel::reference {

// One region of a classifier: its code (digits, leading zeros significant) and name.
struct Region {
    QString code;
    QString name;
};

// The classifier a_reg: one slot per non-empty line of the classifier file, in file order;
// the slot of a line that is not a region is empty. The list ends at the last region line.
using Regions = QList<std::optional<Region>>;

// One block of a summation file: the summary region and its members.
struct SummBlock {
    QString code;
    QStringList members;
};
using SummFile = QList<SummBlock>;
// a_Summ: one element per summation file read.
using SummList = QList<SummFile>;

} // namespace mirel::reference
