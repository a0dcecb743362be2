// A fresh main window for each test, with message boxes caught instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QString>

#include <memory>
#include <utility>
#include <vector>

#include "app/eprojektion.h"

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Tprojeform>();
    form->OnMessage = [this](const QString& title, const QString& text) {
      messages.emplace_back(title, text);
    };
  }

  // Item of the projection list that shows catalogue position `position`.
  static int Item(int position) { return position - 3; }

  std::unique_ptr<Tprojeform> form;
  std::vector<std::pair<QString, QString>> messages;
};
