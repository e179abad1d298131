// How the main window makes music windows. The music window lives in a library above this one,
// so the entry point installs its maker at start; without one, no music window can be made.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QWidget;
class TMDIChildKorvalen;
class TUnitMuz;

// A window for the document, not yet put into the frame; the window owns the document.
using MuzWindowMaker =
    std::function<std::unique_ptr<TMDIChildKorvalen>(QWidget* owner, std::unique_ptr<TUnitMuz>)>;

void SetMuzWindowMaker(MuzWindowMaker maker);
// Empty until a maker is installed.
const MuzWindowMaker& GetMuzWindowMaker();
