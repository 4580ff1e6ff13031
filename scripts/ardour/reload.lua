-- Opens the saved session again, checks the VST3 parameters came back,
-- rolls half a second and saves again.
AudioEngine:set_backend ("None (Dummy)", "", "")
AudioEngine:set_sample_rate (48000)
assert (AudioEngine:start (false) == 0, "the Dummy backend does not start")
assert (load_session (arg[1], "zephyrine"), "the session does not load")

local vst3 = Session:route_by_name ("VST3"):nth_plugin (0)
local disp, crush = ARDOUR.LuaAPI.get_processor_param (vst3, 0, true), ARDOUR.LuaAPI.get_processor_param (vst3, 16, true)
print ("VST3 restored Disp " .. disp .. ", Crush " .. crush)
assert (math.abs (disp - 0.8) < 1e-6 and crush == 0, "VST3 parameters not restored")
assert (not Session:route_by_name ("LV2"):nth_plugin (0):isnil (), "the LV2 plug-in is gone")

Session:request_roll (ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (500000)
assert (Session:transport_rolling (), "the transport does not roll")
Session:request_stop (false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep (200000)
Session:save_state ("", false, false, false, false, false)
close_session ()
