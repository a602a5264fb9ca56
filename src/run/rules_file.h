// The rules file of a run: where it is found, and what the user is told about it.
#pragma once

#include "export/reporter.h"
#include "platform/platform.h"
#include "rules/rule_set.h"
#include "text/text_lookup.h"

namespace murel {

/// Loads the rules of the section "all" of the rules file that FindConfigFile finds into
/// `rules`. True when a rules file was found.
bool LoadRules(Platform& platform, RuleSet& rules);

/// Where the configuration files are looked for: the message "help_config" and the folders, one
/// a line; then the message "help_rules" and the rules file that a run started here uses, or
/// "help_norules" when there is none.
ShownText ConfigurationHelp(Platform& platform, Texts& texts);

/// Tells, after a run in which entries failed and no rules file was found, where the rules were
/// looked for: URLs taken as paths as they are are the likeliest cause. Only where the platform
/// follows Unix conventions (the Windows program shows the boxes it always has), and not when
/// the run is quiet.
void ReportMissingRules(Platform& platform, BoxReporter& reporter);

}  // namespace murel
