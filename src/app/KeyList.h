#pragma once

#include <string>
#include <utility>
#include <vector>

// Every key the main window answers, grouped as the help window's page of keys shows them.
struct KeyGroup {
  std::string title;
  std::vector<std::pair<std::string, std::string>> keys;  // key, what it does
};

const std::vector<KeyGroup>& KeyList();
