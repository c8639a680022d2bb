// The application object Qt needs before it draws text, made once (on the
// offscreen platform unless another is asked for).
#pragma once

namespace leaf::test {

void EnsureGuiApplication();

}  // namespace leaf::test
