#pragma once
// The device error report: every failed DirectDraw or Direct3D call of the
// frame buffer and the Direct3D layer is told the same way, "SG: " and the
// step, then the platform's text for the result code.
//
// Drawing thread only (the message box is modal on that thread).

#include <cstdint>
#include <span>

struct SGFrameBuffer;

// The report's buffer: 255 characters and the terminator.
constexpr std::uint32_t SG_ERROR_REPORT_SIZE = 256;

// Builds "SG: " + format(argument) + "\r\n", cut to the buffer. With a frame
// buffer whose device information has a DirectDraw object and a window, the
// frame buffer is unlocked and the message shown in a modal box ("Msg", OK)
// over that window. Otherwise the message is appended to "SGERR.TXT" in the
// current directory after a header line; a file that cannot be opened drops
// the report. `format` takes at most one "%s".
void ISGErrorReport(SGFrameBuffer* fb, const char* format, const char* argument);
// ISGErrorReport with the text of a result code as the argument.
void ISGErrorReportResult(SGFrameBuffer* fb, const char* format, std::int32_t result);

// The constant text of a DirectDraw, Direct3D or general result code;
// "Unrecognized error value." for a code outside the table.
const char* ISGDDErrorText(std::int32_t result);

// The table behind ISGDDErrorText, ordered by code (as unsigned).
struct SGDDErrorText {
  std::uint32_t code;
  const char* text;
};
std::span<const SGDDErrorText> ISGDDErrorTable();
