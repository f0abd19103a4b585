#pragma once
// A stand-in for the main window's pages: one child of the right kind for every settings and
// status field of the schema, named and preset as the real page is.

#include <QWidget>

#include <memory>

std::unique_ptr<QWidget> makeSettingsPage();
