// The sub-commands of varnok-pack. Each takes the arguments after its own
// name (argv[0] is the sub-command) and returns the process exit code.
#pragma once

int RunPack(int argc, char** argv);
int RunList(int argc, char** argv);
int RunVerify(int argc, char** argv);
int RunExtract(int argc, char** argv);
int RunEnv(int argc, char** argv);
int RunRct(int argc, char** argv);

// The whole command line: a command and its arguments, or a lone folder,
// which is packed as RunDroppedFolder does.
int RunVarnokPack(int argc, char** argv);

// Packs `folder` into FOLDER_setup.exe beside it, behind the installer and
// with the uninstaller that ship beside this program.
int RunDroppedFolder(const char* folder);
