#pragma once

#include <optional>
#include <QString>

#include "app/commands.h"
#include "data/entry.h"

namespace mirel::app {

// The form of one region that a command of data entry works on (FFF COD), resolved as the
// register opens the entry window: the region code a number known to the classifier (the
// start-up one, else that of the single-region entry mode), the form one of those due in the
// reporting month, its structure the one in force for the period. nullopt after the message.
std::optional<data::EntryForm> commandEntryForm(CommandContext& ctx,
                                                const reference::Session& session,
                                                const QString& formCode, const QString& regionCode);

// The display name "FFF - title" of a form given on the command line: one of the forms due in
// the reporting month, as the register offers them. nullopt after the message.
std::optional<QString> commandFormName(CommandContext& ctx, const reference::Session& session,
                                       const QString& formCode);

// The name of a region from the start-up classifier, else from the classifier of the
// single-region entry mode; nullopt when neither knows the code.
std::optional<QString> regionNameOf(const reference::Session& session, const QString& code,
                                    platform::Prompt& prompt);

// The two arguments FFF COD of a command and nothing else; false for a usage error.
bool formAndRegion(const CommandContext& ctx, int count = 2);

} // namespace mirel::app
