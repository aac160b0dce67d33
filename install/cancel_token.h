#pragma once
// The user's request to stop the installation, owned by the installation's state and passed
// by reference: the window requests it ("Anuluj", closing), the extractor runner clears it as
// an extraction starts and reads it between chunks, the run reads it after the extraction.
namespace setup {

class CancelToken {
  public:
    void request() { requested_ = true; }
    void clear() { requested_ = false; }
    bool requested() const { return requested_; }

  private:
    bool requested_ = false;
};

}  // namespace setup
