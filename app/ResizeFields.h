// The arithmetic of the Resize dialog: width, height and their percentages
// of the size the image had when the dialog opened, kept in step as the user
// types into one of them.
#pragma once

namespace leaf {

inline constexpr int kMaxResizeSide = 32767;

struct ResizeFields {
  ResizeFields(int width, int height) : startWidth(width), startHeight(height) {
    this->width = width;
    this->height = height;
  }

  // The user typed a value into one field; the others follow. A value of 0
  // or less changes nothing.
  void typeWidth(int value);
  void typeHeight(int value);
  void typeWidthPercent(int value);
  void typeHeightPercent(int value);

  int startWidth;
  int startHeight;
  int width = 0;
  int height = 0;
  int widthPercent = 100;
  int heightPercent = 100;
  bool keepAspect = true;
};

}  // namespace leaf
