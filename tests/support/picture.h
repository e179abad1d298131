// Comparing a drawn picture with a reference image kept beside the tests.
//
// A picture that changes on purpose: run the suite with KORVALEN_REWRITE_PICTURES=1, look at the
// rewritten PNGs (git diff names them), and commit them. A mismatch leaves the picture drawn as
// <name>-actual.png in the build folder, to be looked at beside the reference.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

// `folder` is the reference images' folder, usually the data folder beside the test's source.
inline void ExpectPicture(const std::filesystem::path& folder, const std::string& name,
                          const QImage& drawn) {
  const QImage picture = drawn.convertToFormat(QImage::Format_RGB32);
  const std::filesystem::path reference = folder / (name + ".png");
  if (std::getenv("KORVALEN_REWRITE_PICTURES")) {
    ASSERT_TRUE(picture.save(QString::fromStdString(reference.string())));
  }
  const QImage expected(QString::fromStdString(reference.string()));
  if (picture != expected.convertToFormat(QImage::Format_RGB32)) {
    picture.save(QString::fromStdString(std::string(KORVALEN_BUILD_DIR) + "/" + name + "-actual.png"));
    ADD_FAILURE() << "the picture differs from " << reference << "; see " << name
                  << "-actual.png in the build folder";
  }
}
