// The help texts of 'varnok-pack env' and its subcommands.
#pragma once

// The overview: every subcommand's usage.
extern const char kEnvHelp[];

// The help of one subcommand ("dump", "check", "delfiles", "plan"), or
// nullptr for another name.
const char* EnvSubcommandHelp(const char* name);
