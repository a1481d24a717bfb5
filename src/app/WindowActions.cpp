#include "app/WindowActions.h"

// The Targa save writes what the result shows, so it is always there; a new
// selection waits for the one under way to end.
EnabledActions ActionsFor(const CommandState& state) {
  EnabledActions actions;
  actions.refresh = state.fileOpened;
  actions.makeSelection = !state.selecting;
  actions.cancelSelection = state.selecting;
  actions.saveJpeg = state.resultMade;
  actions.resize = state.pictureLoaded;
  return actions;
}
