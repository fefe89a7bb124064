// Message reporting: every failure or decision the user sees goes through
// one of these boxes. Formats are printf-style, texts in the ANSI code page;
// a formatted text longer than 1023 bytes is cut at a character boundary.
#pragma once

// Error with Retry and Cancel; the text goes to the clipboard. Returns only
// on Retry: Cancel ends the process with exit code -1.
void ShowRetryCancelError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Error with OK; the text goes to the clipboard.
void ShowError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Yes/No question, no clipboard copy. 1 for Yes, 0 otherwise.
int AskYesNo(const char* format, ...) __attribute__((format(printf, 1, 2)));

// 0 after the text was handed to the clipboard (CF_TEXT), -1 without memory for it.
int CopyTextToClipboard(const char* text);

// The owner window's title (empty while there is none); the buffer is
// rewritten by every call.
const char* GetOwnerWindowText();
