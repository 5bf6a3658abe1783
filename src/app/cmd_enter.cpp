#include <cstdio>
#include <QFile>
#include <QStringDecoder>

#include "app/commands.h"
#include "app/entrycommand.h"
#include "core/text.h"
#include "data/entry.h"
#include "data/sectiongrid.h"
#include "platform/codec.h"
#include "platform/fileio.h"
#include "query/calcsection.h"

namespace mirel::app {
namespace {

// The matrix as typed: UTF-8 (a terminal, a script), else code page 1251 (a file of the
// system's own).
QString decodeInput(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return platform::decode1251(bytes);
}

} // namespace

// Saves a section from a matrix (rows of values separated by tabs or blanks, from a file or
// standard input) with the entry window's rules: blanks inside a value removed, zero-map cells
// kept at zero (a value given for one is reported and not written), the section's calculation
// applied, the file written with the mark "PR_?" (a protected file is refused). The matrix is
// the whole section: cells it does not give are written as "0". Prints the path written.
int cmdEnter(CommandContext& ctx) {
    const std::optional<QString> sectionOption = ctx.takeOption(QStringLiteral("--section"));
    const std::optional<QString> fileOption = ctx.takeOption(QStringLiteral("--file"));
    if (!sectionOption || !formAndRegion(ctx)) return usage(QStringLiteral("enter"));
    bool ok = false;
    const int section = sectionOption->toInt(&ok);
    if (!ok || section < 1) return usage(QStringLiteral("enter"));

    reference::Session session;
    if (!startSession(ctx, session)) return 1;
    const std::optional<data::EntryForm> form =
        commandEntryForm(ctx, session, ctx.args.at(0), ctx.args.at(1));
    if (!form) return 1;
    if (section > form->sectionCount()) {
        std::fprintf(stderr, "mirel enter: form %s has sections 1 to %d\n",
                     form->formCode().toUtf8().constData(), form->sectionCount());
        return 2;
    }

    QByteArray input;
    if (fileOption) {
        const std::optional<QByteArray> bytes = platform::readFileBytes(*fileOption);
        if (!bytes) {
            platform::showError(ctx.prompt, QStringLiteral("Файл отсутствует : ") + *fileOption);
            return 1;
        }
        input = *bytes;
    } else {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) return 1;
        input = in.readAll();
    }
    const QList<QStringList> matrix = data::parseMatrix(decodeInput(input));

    data::SectionGrid grid =
        data::SectionGrid::fromStructure(section, form->entry.sections.at(section - 1));
    if (matrix.size() > grid.rows()) {
        platform::showError(ctx.prompt,
                            QStringLiteral("Строк в матрице : ") + QString::number(matrix.size()) +
                                QStringLiteral(", в разделе : ") + QString::number(grid.rows()));
        return 1;
    }
    for (int r = 0; r < matrix.size(); ++r) {
        if (matrix.at(r).size() > grid.columns()) {
            platform::showError(ctx.prompt, QStringLiteral("Строка ") + QString::number(r + 1) +
                                                QStringLiteral(" матрицы : значений ") +
                                                QString::number(matrix.at(r).size()) +
                                                QStringLiteral(", граф в разделе : ") +
                                                QString::number(grid.columns()));
            return 1;
        }
    }
    data::applyZeroMap(
        grid, data::F_A_Zero(form->formDir, form->formCode(), section, form->basePeriod),
        data::zeroMapPath(form->formDir, form->formCode(), section, form->basePeriod), ctx.prompt);
    for (int r = 0; r < matrix.size(); ++r)
        for (int c = 0; c < matrix.at(r).size(); ++c)
            if (grid.isZeroCell(r + 1, c + 1) && data::cellValue(matrix.at(r).at(c)) != 0)
                ctx.prompt.message(QStringLiteral("Значение в нулевой клетке не записано : с.") +
                                       QString::number(r + 1) + QStringLiteral("г.") +
                                       QString::number(c + 1) + QStringLiteral(" = ") +
                                       matrix.at(r).at(c),
                                   platform::Icon::Warning);
    data::pasteBlock(grid, 1, 1, matrix);
    if (query::recalcSection(grid, *form, session.forms, ctx.prompt) == query::Recalc::Failed)
        return 1;
    if (data::VV_Save(grid, form->key, QStringLiteral("PR_?"), ctx.prompt).isEmpty()) return 1;
    ctx.out << platform::resolvePath(form->path(section)) << '\n';
    return 0;
}

} // namespace mirel::app
