#include "sg/fb/sgerr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/core/files.h"
#include "platform/user/system.h"
#include "sg/fb/framebuffer.h"

namespace {

// Ordered by code so that a lookup is a binary search.
constexpr SGDDErrorText kTable[] = {
    {0x00000000u, "No error."},
    {0x80004001u, "Action not supported."},
    {0x80004005u, "Generic failure."},
    {0x8007000Eu, "DirectDraw does not have enough memory to perform the operation."},
    {0x80070057u, "One or more of the parameters passed to the function are incorrect."},
    {0x88760005u, "This object is already initialized."},
    {0x8876000Au, "This surface cannot be attached to the requested surface."},
    {0x88760014u, "This surface cannot be detached from the requested surface."},
    {0x88760028u, "Support for this operation is not currently available."},
    {0x88760037u, "An exception was encountered while performing the requested operation."},
    {0x8876005Au, "The height of the rectangle provided is not a multiple of the required alignment."},
    {0x8876005Fu, "The primary surface requested does not match the primary surface that already exists."},
    {0x88760064u, "One or more of the capability bits passed are incorrect."},
    {0x8876006Eu, "DirectDraw does not support the provided clip list."},
    {0x88760078u, "DirectDraw does not support the requested mode."},
    {0x88760082u, "DirectDraw received a pointer that was not a valid DirectDraw object."},
    {0x88760091u, "The pixel format was not valid as specified."},
    {0x88760096u, "The rectangle provided was not valid."},
    {0x887600A0u, "The operation cannot go on while one or more surfaces are locked."},
    {0x887600AAu, "There is no 3D hardware present or available."},
    {0x887600B4u, "The operation needs alpha hardware, which is not present or available."},
    {0x887600CDu, "No clip list is available."},
    {0x887600D2u, "The operation needs colour conversion hardware, which is not present or available."},
    {0x887600D4u, "The operation was attempted before a cooperative level was set."},
    {0x887600D7u, "The surface has no colour key at present."},
    {0x887600DCu, "The operation needs colour key hardware, which is not present or available."},
    {0x887600E1u, "The operation needs exclusive mode, which the application does not have."},
    {0x887600E6u, "Flipping visible surfaces is not supported."},
    {0x887600F0u, "There is no GDI present."},
    {0x887600FAu, "The operation needs mirroring hardware, which is not present or available."},
    {0x887600FFu, "The requested item was not found."},
    {0x88760104u, "The operation needs overlay hardware, which is not present or available."},
    {0x88760118u, "The operation needs raster operation hardware, which is not present or available."},
    {0x88760122u, "The operation needs rotation hardware, which is not present or available."},
    {0x88760136u, "The operation needs stretching hardware, which is not present or available."},
    {0x8876013Cu, "The operation needs a surface of 4-bit palettised colour, which this one is not."},
    {0x8876013Du,
     "The operation needs a surface of 4-bit colour indexed into an 8-bit palette, which this one is not."},
    {0x88760140u, "The operation needs a surface of 8-bit colour, which this one is not."},
    {0x8876014Au, "The operation needs texture mapping hardware, which is not present or available."},
    {0x8876014Fu, "The operation needs vertical blank synchronisation hardware, which is not present or available."},
    {0x88760154u, "The operation needs depth buffer hardware, which is not present or available."},
    {0x8876015Eu, "The hardware cannot order overlay surfaces by depth."},
    {0x88760168u, "The hardware the operation needs has already been taken."},
    {0x8876017Cu, "DirectDraw does not have enough memory to perform the operation."},
    {0x8876017Eu, "The hardware does not support clipped overlays."},
    {0x88760180u, "Only one colour key can be active on an overlay at a time."},
    {0x88760183u, "Access to this palette is refused because another thread has it locked."},
    {0x88760190u, "No source colour key was given for the operation."},
    {0x8876019Au, "This surface is already attached to the surface it is being attached to."},
    {0x887601A4u, "This surface already depends on the surface it is being made to depend on."},
    {0x887601AEu, "Access to this surface is refused because another thread has it locked."},
    {0x887601B8u, "Access to the surface is refused because the surface is obscured."},
    {0x887601C2u,
     "Access to this surface is being refused because the surface memory is gone. The DirectDrawSurface "
     "object representing this surface should have Restore called on it."},
    {0x887601CCu, "The requested surface is not attached."},
    {0x887601D6u, "The height requested is too large."},
    {0x887601E0u, "The size requested is too large, though each side alone may be valid."},
    {0x887601EAu, "The width requested is too large."},
    {0x887601FEu, "The requested FourCC format is not supported."},
    {0x88760208u, "The requested bit mask of the pixel format is not supported."},
    {0x88760219u, "A vertical blank is in progress."},
    {0x8876021Cu,
     "Informs DirectDraw that the previous Blt which is transfering information to or from this Surface is "
     "incomplete."},
    {0x88760230u, "The rectangle provided was not aligned horizontally on the required boundary."},
    {0x88760231u, "The identifier passed to DirectDrawCreate is not a valid DirectDraw driver."},
    {0x88760232u, "A DirectDraw object for this driver has already been created by this process."},
    {0x88760233u, "A hardware-only DirectDraw object cannot be created: the driver supports no hardware."},
    {0x88760234u, "This process has already created a primary surface."},
    {0x88760235u, "Software emulation is not available."},
    {0x88760236u, "The region passed to the clipper's clip list is too small."},
    {0x88760237u, "A clip list cannot be set on a clipper that already follows a window."},
    {0x88760238u, "No clipper object is attached to the surface."},
    {0x88760239u, "The clipper needs a window, or no window was set as the cooperative level window."},
    {0x8876023Au, "The window's procedure was replaced, so DirectDraw cannot restore its state."},
    {0x8876023Bu, "The cooperative level window is already set and cannot change while surfaces or palettes exist."},
    {0x8876023Cu, "No palette object is attached to this surface."},
    {0x8876023Du, "There is no hardware support for 16 or 256 colour palettes."},
    {0x8876023Eu, "BltFast was given a surface that has a clipper attached."},
    {0x8876023Fu, "There is no blitter hardware."},
    {0x88760240u, "There is no DirectDraw raster operation hardware."},
    {0x88760241u, "The position of an overlay was asked for while the overlay is hidden."},
    {0x88760242u, "The position of an overlay was asked for, but the overlay has no destination."},
    {0x88760243u, "The overlay's position on its destination is no longer legal."},
    {0x88760244u, "An overlay operation was attempted on a surface that is not an overlay."},
    {0x88760245u, "Another process already holds exclusive mode."},
    {0x88760246u, "A flip was attempted on a surface that cannot be flipped."},
    {0x88760247u, "Primary surfaces, 3D surfaces and surfaces created implicitly cannot be duplicated."},
    {0x88760248u,
     "Surface was not locked.  An attempt to unlock a surface that was not locked at all, or by this "
     "process, has been attempted."},
    {0x88760249u, "No more device contexts can be created."},
    {0x8876024Au, "No device context was ever created for this surface."},
    {0x8876024Bu, "This surface cannot be restored because it was created in another display mode."},
    {0x8876024Cu, "This surface cannot be restored because it was created implicitly."},
    {0x8876024Du, "The surface in use is not palette based."},
    {0x887602BCu, "D3DERR_BADMAJORVERSION"},
    {0x887602BDu, "D3DERR_BADMINORVERSION"},
    {0x887602C6u, "D3DERR_EXECUTE_CREATE_FAILED"},
    {0x887602C7u, "D3DERR_EXECUTE_DESTROY_FAILED"},
    {0x887602C8u, "D3DERR_EXECUTE_LOCK_FAILED"},
    {0x887602C9u, "D3DERR_EXECUTE_UNLOCK_FAILED"},
    {0x887602CAu, "D3DERR_EXECUTE_LOCKED"},
    {0x887602CBu, "D3DERR_EXECUTE_NOT_LOCKED"},
    {0x887602CCu, "D3DERR_EXECUTE_FAILED"},
    {0x887602CDu, "D3DERR_EXECUTE_CLIPPED_FAILED"},
    {0x887602D0u, "D3DERR_TEXTURE_NO_SUPPORT"},
    {0x887602D1u, "D3DERR_TEXTURE_CREATE_FAILED"},
    {0x887602D2u, "D3DERR_TEXTURE_DESTROY_FAILED"},
    {0x887602D3u, "D3DERR_TEXTURE_LOCK_FAILED"},
    {0x887602D4u, "D3DERR_TEXTURE_UNLOCK_FAILED"},
    {0x887602D5u, "D3DERR_TEXTURE_LOAD_FAILED"},
    {0x887602D7u, "D3DERR_TEXTURELOCKED"},
    {0x887602D8u, "D3DERR_TEXTURE_NOT_LOCKED"},
    {0x887602DAu, "D3DERR_MATRIX_CREATE_FAILED"},
    {0x887602DBu, "D3DERR_MATRIX_DESTROY_FAILED"},
    {0x887602DCu, "D3DERR_MATRIX_SETDATA_FAILED"},
    {0x887602DEu, "D3DERR_SETVIEWPORTDATA_FAILED"},
    {0x887602E4u, "D3DERR_MATERIAL_CREATE_FAILED"},
    {0x887602E5u, "D3DERR_MATERIAL_DESTROY_FAILED"},
    {0x887602E6u, "D3DERR_MATERIAL_SETDATA_FAILED"},
    {0x887602EEu, "D3DERR_LIGHT_SET_FAILED"},
    {0x8876030Du, "D3DRMERR_BADOBJECT"},
    {0x8876030Eu, "D3DRMERR_BADTYPE"},
    {0x8876030Fu, "D3DRMERR_BADALLOC"},
    {0x88760310u, "D3DRMERR_FACEUSED"},
    {0x88760311u, "D3DRMERR_NOTFOUND"},
    {0x88760312u, "D3DRMERR_NOTDONEYET"},
    {0x88760313u, "The file was not found."},
    {0x88760314u, "D3DRMERR_BADFILE"},
    {0x88760315u, "D3DRMERR_BADDEVICE"},
    {0x88760316u, "D3DRMERR_BADVALUE"},
    {0x88760317u, "D3DRMERR_BADMAJORVERSION"},
    {0x88760318u, "D3DRMERR_BADMINORVERSION"},
    {0x88760319u, "D3DRMERR_UNABLETOEXECUTE"},
};

constexpr const char* kUnknown = "Unrecognized error value.";

// Appends printf output to the buffer, keeping what fits.
void Append(char* buffer, const char* format, const char* argument) {
  const std::size_t used = std::strlen(buffer);
  if (used + 1 >= SG_ERROR_REPORT_SIZE) {
    return;
  }
  std::snprintf(buffer + used, SG_ERROR_REPORT_SIZE - used, format, argument);
}

}  // namespace

std::span<const SGDDErrorText> ISGDDErrorTable() { return kTable; }

const char* ISGDDErrorText(std::int32_t result) {
  const auto code = static_cast<std::uint32_t>(result);
  const auto* at = std::lower_bound(std::begin(kTable), std::end(kTable), code,
                                    [](const SGDDErrorText& e, std::uint32_t c) { return e.code < c; });
  return at != std::end(kTable) && at->code == code ? at->text : kUnknown;
}

void ISGErrorReport(SGFrameBuffer* fb, const char* format, const char* argument) {
  char message[SG_ERROR_REPORT_SIZE] = "SG: ";
  Append(message, format, argument);
  Append(message, "%s", "\r\n");
  const SGDDInfo* ddi = fb != nullptr ? fb->fbDDI : nullptr;
  if (ddi != nullptr && ddi->ddiDD != nullptr && ddi->ddiWindow != nullptr) {
    // The box is drawn over the surface, which must not stay locked meanwhile.
    SGFrameBufferUnlock(fb);
    plat::MessageBox(ddi->ddiWindow, message, "Msg", plat::MB_OK);
    return;
  }
  plat::FILE* file = plat::fopen("SGERR.TXT", "ab");
  if (file == nullptr) {
    return;
  }
  plat::fprintf(file, "SG ERROR BEFORE OR AFTER WINDOW:\r\n%s", message);
  plat::fclose(file);
}

void ISGErrorReportResult(SGFrameBuffer* fb, const char* format, std::int32_t result) {
  ISGErrorReport(fb, format, ISGDDErrorText(result));
}
