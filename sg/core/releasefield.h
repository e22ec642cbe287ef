#pragma once
// Letting go of a reference-counted object (one with Release(): the DirectDraw
// and Direct3D interfaces) that a record holds in a field. Any thread that
// owns the record.

// Releases the field's object, if any, and clears the field.
template <class T>
void ISGReleaseField(T*& field) {
  if (field != nullptr) {
    field->Release();
    field = nullptr;
  }
}
