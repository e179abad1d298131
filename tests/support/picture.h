// Picture comparison for drawing code: a drawn picture must equal its reference PNG pixel for
// pixel. After a deliberate change to what is drawn, look at the picture the failing test left
// (its path is in the failure) and accept it by running the suite with KORVALEN_ACCEPT_PICTURES=1,
// which rewrites the references; git shows the old and the new one side by side for the review.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

inline void ExpectPicture(const QImage& drawn, const std::string& reference) {
  const QImage actual = drawn.convertToFormat(QImage::Format_RGB32);
  if (std::getenv("KORVALEN_ACCEPT_PICTURES")) {
    EXPECT_TRUE(actual.save(QString::fromStdString(reference))) << reference;
    return;
  }
  const QImage expected = QImage(QString::fromStdString(reference)).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(expected.isNull()) << reference << " is missing";
  if (actual == expected) return;
  int64_t differing = 0;
  if (actual.size() == expected.size()) {
    for (int y = 0; y < actual.height(); ++y)
      for (int x = 0; x < actual.width(); ++x) differing += actual.pixel(x, y) != expected.pixel(x, y);
  }
  const std::string left = testing::TempDir() + reference.substr(reference.find_last_of('/') + 1);
  actual.save(QString::fromStdString(left));
  ADD_FAILURE() << reference << ": " << differing << " pixels differ (0: another size); drawn as " << left;
}

// The reference `name`.png in `folder`, usually the data folder beside the test's source.
inline void ExpectPicture(const std::filesystem::path& folder, const std::string& name, const QImage& drawn) {
  ExpectPicture(drawn, (folder / (name + ".png")).string());
}
