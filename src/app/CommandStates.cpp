#include "app/CommandStates.h"

// During a selection only the selection's own commands act: a save would
// write the preview, a resize would replace the result under the frame.
CommandStates CommandStates::For(const FormState& state) {
  CommandStates can;
  can.refresh = state.reloadable && !state.selecting;
  can.save = state.result && !state.selecting;
  can.makeSelection = state.picture && !state.selecting;
  can.regionKeys = state.selecting;
  can.resize = state.picture && !state.selecting;
  can.zoom = state.picture;
  return can;
}
