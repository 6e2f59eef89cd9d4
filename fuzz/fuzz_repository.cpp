// Feeds arbitrary bytes to the page image repository's loader and to the BMP reader.
// The first byte picks the entry point, so the fuzzer can reach the record parser without
// having to produce valid deflate data first.
#include "images/Bmp.h"
#include "images/Repository.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0: {
        TRepository repository(QStringLiteral("/nonexistent/PagesImages.dat"));
        repository.LoadFromFileData(input);
        break;
    }
    case 1: {
        TRepository repository(QStringLiteral("/nonexistent/PagesImages.dat"));
        repository.LoadFromContent(input);
        // What was read must write out and read back the same.
        TRepository again(QStringLiteral("/nonexistent/PagesImages.dat"));
        if (!again.LoadFromContent(repository.Content()) || again.Count() != repository.Count())
            abort();
        for (int i = 0; i < again.Count(); ++i)
            if (again.Images(i)->Name != repository.Images(i)->Name ||
                !(again.Images(i)->Bitmap == repository.Images(i)->Bitmap))
                abort();
        break;
    }
    default: {
        TBitmap bitmap;
        qsizetype used = 0;
        if (Bmp::read(input, &bitmap, &used)) {
            if (used > input.size())
                abort();
            TBitmap back;
            if (!Bmp::read(Bmp::write(bitmap), &back) || !(back == bitmap))
                abort();
            (void)bitmap.maskedImage(bitmap.bottomLeftColor());
        }
        break;
    }
    }
    return 0;
}
