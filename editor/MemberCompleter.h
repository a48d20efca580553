#pragma once
// The people remembered (TeamMemory) offered while a member's name is typed: the list shows
// name, title and unit; choosing one fills the row, which can still be changed.
class TFrmSimpleform;

void AttachMemberCompleters(TFrmSimpleform& screen);
// The screen's filled member rows into the memory, and the offer brought up to date; after
// every load and every store.
void RememberTeam(TFrmSimpleform& screen);
// The offer alone, from what is remembered.
void OfferRememberedTeam(TFrmSimpleform& screen);
