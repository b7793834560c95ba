#pragma once
// How many threads a command's pixel kernels use: what the document allows, or else every
// core (resizeThreadCount). Results are the same for any number.

#include "document/Document.h"
#include "resize/kernels/ParallelRows.h"

namespace tesmaro::resize {

inline int kernelThreads(const Document& doc) {
    return doc.kernelThreads() > 0 ? doc.kernelThreads() : resizeThreadCount();
}

} // namespace tesmaro::resize
