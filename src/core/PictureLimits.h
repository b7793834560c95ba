#pragma once
// The size limits every picture of the program keeps to.

namespace tesmaro {

// The largest width or height of any picture, canvas or image view, in pixels: scroll bars and
// the picture fields count in 16 bits.
constexpr int kMaxPictureSide = 32767;

} // namespace tesmaro
