// Tesseract hands every line image to its network through an in-memory copy that it writes as
// PNG and reads straight back (and it falls back to another format when that fails). Deflating
// and inflating those copies cost a tenth of all recognition time. This definition takes the
// place of Leptonica's for the whole process (an executable's symbols come first, and the linker
// exports it because libtesseract refers to it): a request for PNG is written in Leptonica's own
// uncompressed format instead, which its reader recognises by content and restores exactly.
// Nothing else in this program writes images through Leptonica.

#include <leptonica/allheaders.h>

#include <dlfcn.h>

extern "C" l_ok pixWriteMem(l_uint8** data, size_t* size, PIX* pix, l_int32 format)
{
    using Writer = l_ok (*)(l_uint8**, size_t*, PIX*, l_int32);
    static const auto leptonicas = reinterpret_cast<Writer>(dlsym(RTLD_NEXT, "pixWriteMem"));
    if (!leptonicas)
        return 1;
    if (format == IFF_PNG && leptonicas(data, size, pix, IFF_SPIX) == 0)
        return 0;
    return leptonicas(data, size, pix, format);
}
