#include "aggregate/registersum.h"

#include <cerrno>
#include <QSet>

#include "aggregate/summgroups.h"
#include "aggregate/summmatrix.h"
#include "data/sectionfile.h"
#include "platform/dirscan.h"
#include "platform/fileio.h"
#include "platform/prompt.h"

namespace mirel::aggregate {

int sumRegister(const reference::Session& session, const QString& formCode, int sections,
                platform::Prompt& prompt) {
    const QString dir = platform::resolvePath(
        data::periodDataDir(session.dir(core::DirDAT), session.year, session.month, formCode));
    if (!platform::dirExists(dir)) {
        platform::showError(prompt, QStringLiteral("Нет данных !!!"));
        return -1;
    }
    const SummGroups groups = groupsOf(session.summ);
    QList<int> walk;
    for (int g = 0; g < groups.size(); ++g)
        walk.append(g);
    const QList<int> order = summationOrder(groups, walk, prompt);
    if (order.isEmpty() && !groups.isEmpty()) return -1;

    const QString dirName = platform::nameOf(dir);
    const QString yy = dirName.mid(4, 2);
    const QString mm = dirName.mid(6, 2);
    const QByteArray localDir = platform::localPath(dir) + '/';
    const int files = int(platform::listFiles(dir).size());
    int read = 0;
    QString lastDone;
    platform::Progress progress(prompt, files);
    QByteArray buffer;
    for (int s = 1; s <= sections; ++s) {
        const QString rr = data::sectionNumber(s);
        for (qsizetype k = 0; k < order.size(); ++k) {
            const SummGroup& group = groups.at(order.at(k));
            SummMatrix sum;
            bool any = false;
            QSet<QString> taken;
            for (const QString& member : group.members) {
                if (taken.contains(member)) continue;
                taken.insert(member);
                const QString name = member + QLatin1Char('.') + rr;
                const int err =
                    platform::readFileInto(localDir + platform::localPath(name), buffer);
                if (err == ENOENT || err == ENOTDIR || (err == 0 && buffer.size() <= 2)) continue;
                progress.step(std::min(++read, files));
                SummMatrix matrix;
                const ReadStatus status =
                    err == 0 ? parseSection(buffer, matrix, true) : ReadStatus::Unreadable;
                if (status == ReadStatus::NoData) continue;
                if (status != ReadStatus::Ok || (any && !addInto(sum, matrix, Fit::MemberShape))) {
                    platform::showError(prompt, QStringLiteral("Ошибка в формате данных !!!"),
                                        dir + QLatin1Char('/') + name);
                    return -1;
                }
                if (!any) sum = matrix;
                any = true;
            }
            const QString path = dir + QLatin1Char('/') + group.code + QLatin1Char('.') + rr;
            if (any) {
                const QByteArray bytes = summaryFileBytes(
                    QStringLiteral("PR_?"), summaryHeader(formCode, rr, yy, mm, group.code), sum);
                if (!writeSummaryFile(path, bytes)) {
                    platform::showError(prompt, QStringLiteral("Ошибка при записи информации !!!"),
                                        path);
                    return -1;
                }
            } else if (platform::fileExists(path) && !platform::removeFile(path)) {
                // An old sum whose members have no data any more goes.
                platform::showError(
                    prompt, QStringLiteral("Ошибка при удалении суммарного региона !!!"), path);
                return -1;
            }
            lastDone = QStringLiteral("раздел ") + rr + QStringLiteral(", группа ") + group.code;
            const bool last = s == sections && k + 1 == order.size();
            if (!last && progress.stopped()) {
                platform::showInfo(prompt, platform::stoppedText(),
                                   QStringLiteral("Последняя просуммированная группа : ") +
                                       lastDone);
                return -1;
            }
        }
    }
    return 0;
}

} // namespace mirel::aggregate
