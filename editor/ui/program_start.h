// The editor's start: its titles, the parameters the start sets, and the
// run from the application object to the end of the message loop.
#pragma once

class TfmQuendaMain;

// The application title, which every message box carries.
inline constexpr char kProgramTitle[] = "Tarvex";
// The window's caption when CAPTION is empty and packages may be made.
inline constexpr char kLongCaption[] = "Tarvex — подготовка пакета для государственной регистрации";

// Mode 3 and the start values of INIFILE, BOOKFOLDER, OUTPATH, ВЕРСПРОГ
// (editable), SHOWABOUT and CAPTION (fixed), from the running executable.
void SetStartParameters(TfmQuendaMain& window);
// The whole run; the process's exit code.
int RunEditor(int argc, char** argv);
