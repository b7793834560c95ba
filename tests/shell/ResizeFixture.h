#pragma once
// The resize commands through the panel: a started program whose random sequence starts afresh,
// and pictures in and out of Temp.bmp and TempMC.bmp.

#include "core/RandomSequence.h"
#include "pictures/BmpFile.h"
#include "pictures/PictureDecoding.h"
#include "resize/CommandTestSupport.h"
#include "resize/kernels/ParallelRows.h"
#include "support/AppFixture.h"

namespace tesmaro::testing {

class CommandTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        currentDocument()->state.random = RandomSequence{};
    }
    void TearDown() override {
        resize::setResizeThreadCount(0);
        AppFixture::TearDown();
    }
    void writeTemp(const Picture& p) { ASSERT_TRUE(saveBmpFile(toImage(p), fake->filePath("Temp.bmp"))); }
    Picture readTempMC() {
        const QImage img = loadPictureFile(fake->filePath("TempMC.bmp"));
        return img.isNull() ? Picture() : fromImage(img);
    }
};

} // namespace tesmaro::testing
