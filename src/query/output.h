#pragma once

#include <QString>
#include <QStringList>
#include <QTime>

#include "query/compute.h"

namespace mirel::platform {
class Prompt;
}

namespace mirel::query {

// The texts a page shows besides the table: the region ("наименование_региона" and the title
// row of the plain table) and the reporting period ("отчетный_период": month name and year).
struct PageTexts {
    QString region;
    QString period;
    QString year;  // the year field, trimmed
    QString month; // the month field, trimmed
};
PageTexts pageTexts(const Table& table, const reference::Session& session,
                    const RegionSelector& selector);

// The page written from a query template: the two texts replaced, then the row template
// (">1\1\0<"), the "MULTY_REG Y" region blocks, or the ">1\r\j<" placeholders. Column 0 of a
// placeholder stands for the row label.
QString templatePage(const QString& templ, const Table& table, const PageTexts& texts);

// The plain Word-style table (no template), lines ended by CR LF.
QString plainTablePage(const Table& table, const PageTexts& texts);

// The part of a page between the ">" that closes its "<body" and its "</body>"; false when the
// page has no "<body".
bool pageBody(const QString& page, QString& body);
// The head of a batch page: the text up to and including the first ">" after "<body".
bool pageHead(const QString& page, QString& head);

// Name of a temporary template page: whole seconds since midnight and ".HTM".
QString temporaryPageName(const QTime& time);

// Generated template queries (FFF_YYMM.RR.PSP): writes one query and template per row of the
// section description, or one row-template query for a section whose rows contain "I".
// Returns 0 and the written query paths, or -1 after the message.
int generateTemplateQueries(const QString& path, const reference::Session& session,
                            platform::Prompt& prompt, QStringList& written);

// A section row line made usable as a file name.
QString fileNameOf(const QString& rowLine);

} // namespace mirel::query
